#!/usr/bin/env bash
# The hex view beside xxd and hexdump -C on the same 10 MiB file of random bytes, in the same
# run: the conversion alone (hex_view_bench) and `quillmar --dump --view hex` as a whole process.
# Targets: the conversion at least as fast as xxd; the whole process at least 2 times faster than
# xxd.
# Then the page image export of the largest corpus page at 1280 px: time and resident memory
# beyond what the same command needs for a one-line page.
#
#   bench/hex_peers.sh [BUILD_DIR] [CORPUS_DIR]   (defaults: build, build-bench/corpus; RUNS=20)
set -euo pipefail

build=${1:-build}
corpus=${2:-build-bench/corpus}
runs=${RUNS:-20}
here=$(cd "$(dirname "$0")" && pwd)
quillmar="$build/quillmar"
[[ -x "$quillmar" ]] || { echo "build $quillmar first (cmake --build $build --target quillmar)" >&2; exit 1; }
cmake --build "$build" --target hex_view_bench >/dev/null
command -v hyperfine >/dev/null && command -v xxd >/dev/null && command -v hexdump >/dev/null || {
  [[ $(id -u) -eq 0 ]] || { echo "install as root: apt-get install -y hyperfine xxd bsdextrautils" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y hyperfine xxd bsdextrautils >/dev/null
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((10 << 20)) /dev/urandom > "$work/random.bin"

echo "== the hex view of 10 MiB of random bytes, output to /dev/null, $runs runs each"
QUILLMAR_HEX_FILE="$work/random.bin" "$build/bench/hex_view_bench" --benchmark_filter=HexView \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_format=json \
  > "$work/convert.json" 2>/dev/null
hyperfine -N --warmup 3 --runs "$runs" --export-json "$work/processes.json" \
  "xxd $work/random.bin" "hexdump -C $work/random.bin" \
  "$quillmar --dump --view hex $work/random.bin" >/dev/null 2>&1
python3 - "$work/convert.json" "$work/processes.json" <<'PY'
import json, sys
convert = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"][0]
convert_ms = convert["cpu_time"]
rows = {}
for r in json.load(open(sys.argv[2]))["results"]:
    rows[r["command"].split()[0].split("/")[-1]] = (r["median"] * 1e3, (r["user"] + r["system"]) * 1e3)
xxd_wall, xxd_cpu = rows["xxd"]
print("%-34s %10s %10s %14s" % ("", "median ms", "cpu ms", "xxd / this (cpu)"))
print("%-34s %10s %10.1f %14.2f" % ("SiteToHex alone (hex_view_bench)", "-", convert_ms, xxd_cpu / convert_ms))
for name, label in (("xxd", "xxd"), ("hexdump", "hexdump -C"), ("quillmar", "quillmar --dump --view hex")):
    wall, cpu = rows[name]
    print("%-34s %10.1f %10.1f %14.2f" % (label, wall, cpu, xxd_cpu / cpu))
print("targets: SiteToHex alone >= 1.00; quillmar --dump --view hex >= 2.00")
PY

[[ -e "$corpus/page-large.html" ]] || "$here/corpus.sh" "$corpus" >/dev/null
printf '<p>x</p>\n' > "$work/tiny.html"
peak() { /usr/bin/time -f '%M %e' "$quillmar" --image "$work/out.bmp" --width 1280 "$1" 2>"$work/err" >/dev/null || true; tail -1 "$work/err"; }
read -r base_kb _ < <(peak "$work/tiny.html")
echo
echo "== page images at 1280 px with the built-in font; memory beyond the one-line page's $((base_kb / 1024)) MB (target under 50 MB)"
for name in page-1mb.html page-large.html; do
  page=$(readlink -f "$corpus/$name")
  rm -f "$work/out.bmp"
  read -r page_kb seconds < <(peak "$page")
  if [[ -e "$work/out.bmp" ]]; then
    result=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(26); print('%dx%d' % struct.unpack('<ii', d[18:26]))" "$work/out.bmp")
    result="$result, $(($(stat -c %s "$work/out.bmp") >> 20)) MiB"
  else
    result="refused: $(head -1 "$work/err")"
  fi
  echo "$name ($(stat -c %s "$page") bytes): ${seconds} s, $(((page_kb - base_kb) / 1024)) MB beyond; $result"
done
