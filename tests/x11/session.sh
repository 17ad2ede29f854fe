# Sourced by the real-window tests: a work folder, a virtual X display with a window manager,
# and the program copied into the work folder, so that its settings and download folder are
# the test's own. Everything started is ended on exit; add a process with pids+=(PID).
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
# The command hands the window over to the window program beside it.
cp "$program" "$(dirname "$program")/quillmar-window" "$work/"
