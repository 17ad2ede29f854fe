#!/usr/bin/env bash
# Drives the real window against a small site on 127.0.0.1: Ctrl+Shift+S opens the dialog of
# Save all linked files, which saves the page's pictures into the folder typed there; then
# Ctrl+Shift+L checks the site.
# Usage: site_links_test.sh PATH/TO/quillmar
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session.sh"

mkdir -p "$work/site/img"
printf '<html><head><title>Site start</title></head><body><a href="a.html">a</a>
<a href="gone.html">gone</a><img src="img/1.png"><img src="img/2.png"></body></html>\n' \
    >"$work/site/index.html"
printf '<html><body><a href="index.html">home</a><a href="also-gone.html">x</a></body></html>\n' \
    >"$work/site/a.html"
printf 'one' >"$work/site/img/1.png"
printf 'two' >"$work/site/img/2.png"
serve_site

start_session "$program" "http://127.0.0.1:$port/index.html"
wait_caption "Site start" || true
xdotool windowactivate --sync "$window"

xdotool key ctrl+shift+s
dialog() { sleep 0.5; [[ $(xdotool getactivewindow getwindowname) == "Save all linked files" ]]; }
expect "Ctrl+Shift+S opens the dialog" dialog
xdotool key ctrl+a
xdotool type --delay 20 "$work/rip"
xdotool key Return
saved() { wait_caption "Linked files saved: 2 / 2" && [[ $(cat "$work/rip/1.png") == one ]]; }
expect "the dialog's folder gets the page's pictures" saved

xdotool key ctrl+shift+l
checked() { wait_caption "Site links checked: pages 2, addresses 6, broken: 2"; }
expect "Ctrl+Shift+L checks the site" checked

end_session
