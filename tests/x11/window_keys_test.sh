#!/usr/bin/env bash
# Drives the real window on a virtual X display with a window manager: the scroll keys and the
# wheel move the view in every window size of the F2 cycle, and three F2 presses give back the
# window's bounds. Usage: window_keys_test.sh PATH/TO/quillmar
set -euo pipefail
program=$1
source "$(dirname "$0")/session.sh"

{
    echo "<html><head><title>Long page</title></head><body>"
    for i in $(seq 1 3000); do echo "<p>Line $i of a long page <a href='x$i.html'>link $i</a></p>"; done
    echo "</body></html>"
} >"$work/long.html"

LANG=C.UTF-8 "$work/quillmar" "$work/long.html" >"$work/log" 2>&1 &
app=$!
pids+=($app)
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" | tail -1 || true)
[[ -n $window ]] || { echo "FAIL no window"; cat "$work/log"; exit 1; }
for _ in $(seq 1 50); do
    [[ $(xdotool getwindowname "$window") == *"Long page"* ]] && break
    sleep 0.1
done
xdotool windowactivate --sync "$window"

failures=0
offset() { # the scroll offset the caption shows: "1 080 / 224 841 px - ..."
    local caption
    caption=$(xdotool getwindowname "$window")
    echo "${caption%% / *}" | tr -d ' '
}
expect() { # expect WHAT CONDITION...
    local what=$1
    shift
    sleep 0.5
    if "$@"; then echo "ok   $what"; else
        echo "FAIL $what: caption '$(xdotool getwindowname "$window")'"
        failures=$((failures + 1))
    fi
}
moved() { [[ $(offset) != "$before" ]]; }
at_end() { local c; c=$(xdotool getwindowname "$window"); [[ $(echo "${c%% px*}" | tr -d ' ' | awk -F/ '{print ($1 == $2)}') == 1 ]]; }
at_top() { [[ $(offset) == 0 ]]; }
geometry() { xdotool getwindowgeometry "$window" | tail -2 | tr -s ' ' | tr '\n' ' '; }

start_geometry=$(geometry)
for size in window screen fullscreen; do
    [[ $size == window ]] || { xdotool key F2; sleep 1; }
    eval "$(xdotool getwindowgeometry --shell "$window")"
    before=$(offset); xdotool key Next; expect "$size: Page Down" moved
    before=$(offset); xdotool key Down; expect "$size: Down" moved
    before=$(offset); xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 3)) click 5
    expect "$size: wheel over the view" moved
    before=$(offset); xdotool mousemove $((X + WIDTH - 20)) $((Y + HEIGHT / 3)) click 5
    expect "$size: wheel over the control bar" moved
    xdotool key ctrl+Next; expect "$size: Ctrl+Page Down after a wheel step" at_end
    xdotool key ctrl+Prior; expect "$size: Ctrl+Page Up" at_top
done
xdotool key F2
sleep 1
restored() { [[ $(geometry) == "$start_geometry" ]]; }
expect "third F2 restores the bounds ($start_geometry)" restored

if ((failures > 0)); then
    cat "$work/log"
    exit 1
fi
