#!/usr/bin/env bash
# Drives the real window on a KOI8-R page served without a charset: the title reads garbled
# until Shift+F8 decodes the page in the charset its meta tag names; F8 then takes the UTF-8
# switch back.
# Usage: charset_test.sh PATH/TO/quillmar
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session.sh"

mkdir -p "$work/site"
# "Тест" and "Глава" in KOI8-R.
printf '<html><head><meta charset=koi8-r><title>\xf4\xc5\xd3\xd4</title></head><body>\xe7\xcc\xc1\xd7\xc1 <img srcset="a.png 2x"></body></html>\n' \
    >"$work/site/koi.html"
serve_site

start_session "$program" "http://127.0.0.1:$port/koi.html"
garbled() { wait_caption "фЕУФ"; }
expect "a KOI8-R title reads as Windows-1251 by default" garbled
xdotool windowactivate --sync "$window"
xdotool key shift+F8
readable() { wait_caption "Тест"; }
expect "Shift+F8 decodes the page in the charset its meta tag names" readable
xdotool key F8
switched() { wait_caption "????"; }
expect "F8 takes the UTF-8 switch back" switched

end_session
