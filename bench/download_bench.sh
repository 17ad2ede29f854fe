#!/usr/bin/env bash
# Serves a large file on 127.0.0.1 and downloads it with the program's downloader in file mode
# and in page mode and with curl; prints the throughput of each, the ratios to curl, and the
# resident memory.
#
#   bench/download_bench.sh [BUILD_DIR]    (default: build; SIZE_MB=200, RUNS=3)
set -euo pipefail

build=${1:-build}
size_mb=${SIZE_MB:-200}
runs=${RUNS:-3}
program="$build/bench/download_bench"
[[ -x "$program" ]] || { echo "build $program first (ninja -C $build download_bench)" >&2; exit 1; }

work=$(mktemp -d)
server_pid=
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/served"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$work/served/big.bin"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$work/served" "$port" >/dev/null 2>&1 &
server_pid=$!
url="http://127.0.0.1:$port/big.bin"
for _ in $(seq 100); do
  curl -s -o /dev/null -r 0-0 "$url" && break
  sleep 0.1
done

# Best of $runs; prints "seconds peak_rss_kb".
best_of() {
  local best_s= best_rss=
  for _ in $(seq "$runs"); do
    local line s rss
    line=$("$@")
    s=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")
    rss=$(sed -n 's/.*peak_rss_kb=\([0-9]*\).*/\1/p' <<<"$line")
    if [[ -z "$best_s" ]] || awk "BEGIN{exit !($s < $best_s)}"; then best_s=$s; best_rss=$rss; fi
  done
  echo "$best_s $best_rss"
}

curl_run() {
  local t0 t1 rss
  t0=$(date +%s.%N)
  rss=$( { /usr/bin/time -f '%M' curl -s -o "$work/curl.bin" "$url"; } 2>&1 )
  t1=$(date +%s.%N)
  echo "seconds=$(awk "BEGIN{print $t1 - $t0}") peak_rss_kb=$rss"
}

read -r curl_s curl_rss < <(best_of curl_run)
read -r file_s file_rss < <(best_of "$program" "$url" file "$work/file.bin")
read -r page_s page_rss < <(best_of "$program" "$url" page)
cmp -s "$work/served/big.bin" "$work/file.bin" || { echo "file mode saved different bytes" >&2; exit 1; }

awk -v mb="$size_mb" -v cs="$curl_s" -v cr="$curl_rss" -v fs="$file_s" -v fr="$file_rss" \
    -v ps="$page_s" -v pr="$page_rss" 'BEGIN {
  printf "%-22s %8s %10s %10s %14s\n", "", "seconds", "MB/s", "vs curl", "peak RSS MB"
  printf "%-22s %8.3f %10.1f %10s %14.1f\n", "curl -s -o", cs, mb / cs, "1.00", cr / 1024
  printf "%-22s %8.3f %10.1f %10.2f %14.1f\n", "Quillmar file mode", fs, mb / fs, cs / fs, fr / 1024
  printf "%-22s %8.3f %10.1f %10.2f %14.1f\n", "Quillmar page mode", ps, mb / ps, cs / ps, pr / 1024
  printf "page mode peak RSS / page size: %.2f\n", pr / 1024 / mb
}'
