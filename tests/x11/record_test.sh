#!/usr/bin/env bash
# Records a program in the real window against a small site on 127.0.0.1 (Ctrl+R, ten actions
# of keys and tool buttons, F5), copies the program from the editor and the object info area
# from the window, and runs the program with --run: it must leave the same area.
# Usage: record_test.sh PATH/TO/quillmar
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session.sh"

mkdir -p "$work/site"
printf '<html><head><title>Start</title></head><body>start</body></html>\n' >"$work/site/index.html"
printf '<html><head><title>Page two</title></head><body><p>Intro</p><ul>
<li><a href="a%%20one.html">one</a></li>
<li><a href="b%%20two.html">two</a></li>
<li>no link</li>
</ul><p>End</p></body></html>\n' >"$work/site/two.html"
serve_site

start_session "$program" "http://127.0.0.1:$port/index.html"
wait_caption "Start" || true
# The editor stays on top: the two windows side by side.
xdotool windowmove --sync "$window" 0 0
eval "$(xdotool getwindowgeometry --shell "$window")"
# A control of the lower rows by its place in the window's design (682 x 515), which keeps its
# distance to the left and bottom edges.
click_design() { xdotool mousemove --window "$window" "$1" $((HEIGHT - 515 + $2)) click 1; sleep 0.4; }
tool() { click_design $((128 + 36 * $1 + 16)) 460; }
search_for() { click_design 220 433; xdotool key ctrl+a; xdotool type --delay 20 "$1"; }

# A recording adds to the program in the editor: it starts empty here.
xdotool windowactivate --sync "$window"
xdotool key ctrl+F5
sleep 1
editor=$(xdotool search --onlyvisible --name "Program editor" | tail -1)
xdotool windowmove --sync "$editor" 720 0
xdotool mousemove --window "$editor" 200 200 click 1
xdotool key ctrl+a Delete
xdotool windowactivate --sync "$window"
xdotool key ctrl+r
sleep 1
xdotool windowactivate --sync "$window"
recording() { wait_caption "Recording a program"; }
expect "Ctrl+R starts recording and the caption says so" recording

xdotool key F10
xdotool type --delay 20 "http://127.0.0.1:$port/two.html"
xdotool key Return
wait_caption "Page two" || true
xdotool key ctrl+e
sleep 0.5
search_for "<ul>"
click_design $((682 - 182 + 16)) 460 # search first
tool 0                              # delete before
search_for "</ul>"
click_design $((682 - 182 + 16)) 460
tool 1                              # delete after
search_for "href"
tool 6                              # keep the lines with the search text
tool 2                              # decode %xx
xdotool key F8 F8                   # a display option, twice: not recorded
sleep 0.5
tool 8                              # the area as the page
sleep 0.5
xdotool key F5
stopped() { sleep 0.3; [[ $(caption) != *"Recording"* ]]; }
expect "F5 stops recording" stopped

# What the window shows: the area, and the program in the editor.
click_design 300 380
xdotool key ctrl+a ctrl+c
sleep 0.3
xclip -o -selection clipboard | tr -d '\r' >"$work/window-area.txt"
xdotool windowactivate --sync "$editor"
eval "$(xdotool getwindowgeometry --shell "$editor")"
xdotool mousemove --window "$editor" 200 200 click 1
xdotool key ctrl+a ctrl+c
sleep 0.3
xclip -o -selection clipboard >"$work/recorded.qmp"

commands() { grep -v '^//' "$work/recorded.qmp" | cut -d' ' -f1 | sort -u | wc -l; }
eight() {
    (($(commands) >= 8)) && [[ $(head -n 1 "$work/recorded.qmp") == "GO \"http://127.0.0.1:$port/two.html\"" ]] &&
        grep -q '^// not recorded: a display option' "$work/recorded.qmp"
}
expect "at least eight different commands and the skipped option recorded" eight
"$program" --run "$work/recorded.qmp" --print info 2>"$work/run.err" | tr -d '\r' >"$work/run-area.txt" || true
same() { [[ -s $work/run-area.txt ]] && diff "$work/window-area.txt" "$work/run-area.txt"; }
expect "the program run with --run leaves the window's area" same
# The page is the area made the page: the run's page is laid out as the area's text is, below
# the report of the last request, which both keep.
cp "$work/window-area.txt" "$work/window-area.html"
"$program" --run "$work/recorded.qmp" --print page 2>/dev/null |
    awk 'NR == 1 && /^URL: / { report = 1 } !report { print } report && /^$/ { report = 0 }' \
        >"$work/run-page.txt" || true
"$program" --dump "$work/window-area.html" >"$work/window-page.txt" 2>/dev/null || true
page() { [[ -s $work/run-page.txt ]] && diff "$work/window-page.txt" "$work/run-page.txt"; }
expect "and the same page" page
if ((failures > 0)); then cat "$work/recorded.qmp" "$work/run.err"; fi

end_session
