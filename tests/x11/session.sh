# Sourced by the window tests: a virtual X display with a window manager, and the real program
# started on a page from a copy in a folder of its own. Sets $work, $window, $app, $failures and
# offers expect WHAT COMMAND..., caption and serve_site. Usage: start_session PATH/TO/quillmar [PAGE]
work=$(mktemp -d)
pids=()
failures=0
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

start_session() {
    local program=$1 page=${2:-}
    # Xvfb picks a free display and writes its number.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 1 100); do [[ -s $work/display ]] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    # The real window on this display, whatever platform the caller's environment names.
    export QT_QPA_PLATFORM=xcb
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    # A copy beside the page, so that its settings file and download folder are the test's own;
    # the command hands the window over to the window program beside it.
    cp "$program" "$(dirname "$program")/quillmar-window" "$work/"
    LANG=C.UTF-8 "$work/quillmar" ${page:+"$page"} >"$work/log" 2>&1 &
    app=$!
    pids+=($app)
    window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" | tail -1 || true)
    [[ -n $window ]] || { echo "FAIL no window"; cat "$work/log"; exit 1; }
}

caption() { xdotool getwindowname "$window"; }

# Waits for the caption to hold the text, up to five seconds.
wait_caption() {
    for _ in $(seq 1 50); do
        [[ $(caption) == *"$1"* ]] && return 0
        sleep 0.1
    done
    return 1
}

expect() { # expect WHAT CONDITION...
    local what=$1
    shift
    sleep 0.5
    if "$@"; then echo "ok   $what"; else
        echo "FAIL $what: caption '$(caption)'"
        failures=$((failures + 1))
    fi
}

end_session() {
    if ((failures > 0)); then
        cat "$work/log"
        exit 1
    fi
}

# Serves $work/site on 127.0.0.1 at a free port, set in $port, until the test ends.
serve_site() {
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    (cd "$work/site" && exec timeout 110 python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
    pids+=($!)
    for _ in $(seq 1 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1', $port))" \
        2>/dev/null && break; sleep 0.1; done
}
