#!/usr/bin/env bash
# Drives the real window on a virtual X display: F12, Shift+F12 and Ctrl+F12 switch the view,
# and Ctrl+P saves the page image through the save dialog; ImageMagick reads the image, whose
# top rows are the very pixels the window shows. Usage: view_modes_test.sh PATH/TO/quillmar
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session.sh"

{
    echo "<html><head><title>Views page</title></head><body>"
    for i in $(seq 1 150); do echo "<p>Line $i &amp; <b>bold</b> <a href='x$i.html'>link $i</a></p>"; done
    echo "</body></html>"
} >"$work/views.html"
start_session "$program" "$work/views.html"
wait_caption "Views page" || true
xdotool windowactivate --sync "$window"

height() { local c; c=$(caption); echo "${c%% px*}" | awk -F/ '{gsub(/ /, "", $2); print $2}'; }
titled() { wait_caption "Views page"; }
untitled() { [[ $(caption) != *"Views page"* && $(caption) == *"views.html"* ]]; }

html_height=$(height)
xdotool key shift+F12; expect "Shift+F12: the text view reads no title" untitled
text_height=$(height)
xdotool key ctrl+F12; sleep 1
hex_height=$(height)
taller() { ((hex_height > text_height && text_height != html_height)); }
expect "Ctrl+F12: the hex view is taller than the text view ($text_height, $hex_height px)" taller
xdotool key F12; expect "F12: the HTML view again" titled

xdotool key ctrl+Prior
sleep 0.5
import -window root "$work/shot.png"
xdotool key ctrl+p
dialog() { wait_caption "" && [[ $(xdotool getactivewindow getwindowname) == "Save webpage/file image" ]]; }
expect "Ctrl+P opens the save dialog" dialog
xdotool key ctrl+a
xdotool type --delay 20 "$work/page image"
xdotool key Return
saved() { for _ in $(seq 1 50); do [[ -s "$work/page image.bmp" ]] && return 0; sleep 0.1; done; return 1; }
expect "the image is saved with .bmp added" saved
size=$(identify -format '%wx%h' "$work/page image.bmp" 2>&1 || true)
read_size() { [[ $size =~ ^[0-9]+x[0-9]+$ ]] && ((${size#*x} > html_height)); }
expect "identify reads the image ($size, page $html_height px beyond the window)" read_size
# The top strip, as tall as the window's view, found pixel for pixel in the screenshot.
view_rows=$((${size#*x} - html_height))
convert "$work/page image.bmp" -crop "x${view_rows}+0+0" +repage "$work/top.png"
found=$(python3 "$here/find_picture.py" "$work/shot.png" "$work/top.png" || true)
same() {
    [[ $found != none && -n $found ]] || return 1
    local x=${found% *} y=${found#* }
    convert "$work/shot.png" -crop "${size%x*}x${view_rows}+$x+$y" +repage "$work/view.png"
    [[ $(compare -metric AE "$work/view.png" "$work/top.png" null: 2>&1) == 0 ]]
}
expect "compare finds the top strip equal to the window's view (at $found)" same

end_session
