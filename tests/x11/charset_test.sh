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
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
(cd "$work/site" && exec timeout 110 python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
pids+=($!)
for _ in $(seq 1 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1', $port))" \
    2>/dev/null && break; sleep 0.1; done

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
