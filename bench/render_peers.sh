#!/usr/bin/env bash
# Compares the source view's render passes with three text-mode browsers on the same real pages
# in one run: their -dump of a page against Quillmar's prepare and mark passes (system font,
# 1280 x 800), Quillmar's paint pass at the top, middle and end of the largest page, the whole
# `quillmar --dump` process, and its resident memory beyond start-up.
#
#   bench/render_peers.sh [BUILD_DIR] [CORPUS_DIR]   (defaults: build, build-bench/corpus; RUNS=5)
#
# The pages come from bench/corpus.sh, which runs first when they are missing. The browsers are
# installed when missing (apt-get, as root).
set -euo pipefail

build=${1:-build}
corpus=${2:-build-bench/corpus}
runs=${RUNS:-5}
here=$(cd "$(dirname "$0")" && pwd)
bench="$build/bench/render_system_bench"
quillmar="$build/quillmar"
for program in "$bench" "$quillmar"; do
  [[ -x "$program" ]] || { echo "build $program first (ninja -C $build quillmar render_system_bench)" >&2; exit 1; }
done

peers=("w3m -dump" "lynx -dump -force_html" "elinks -dump")
missing=()
for p in w3m lynx elinks; do command -v "$p" >/dev/null || missing+=("$p"); done
if ((${#missing[@]})); then
  [[ $(id -u) -eq 0 ]] || { echo "install as root: apt-get install -y ${missing[*]}" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null ||
    { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null; }
fi

[[ -e "$corpus/page-1mb.html" && -e "$corpus/page-large.html" ]] || "$here/corpus.sh" "$corpus"
pages=("$corpus/page-1mb.html" "$corpus/page-large.html")
if [[ $(readlink -f "$corpus/page-10mb.html") != $(readlink -f "$corpus/page-large.html") ]]; then
  pages+=("$corpus/page-10mb.html")
fi
large="$corpus/page-large.html"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best wall time of $runs runs of a command, in seconds; its output is discarded.
best_time() {
  local best= start end t
  for _ in $(seq "$runs"); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    end=$EPOCHREALTIME
    t=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')
    if [[ -z "$best" ]] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

megabytes() { awk -v b="$(stat -L -c %s "$1")" 'BEGIN { printf "%.2f", b / 1e6 }'; }

declare -A fastest fastest_name
echo "== Text-mode browsers, -dump to /dev/null, best of $runs"
printf '%-18s %8s %-24s %9s\n' page MB browser seconds
for page in "${pages[@]}"; do
  name=$(basename "$page")
  for peer in "${peers[@]}"; do
    # shellcheck disable=SC2086
    t=$(best_time $peer "$page")
    printf '%-18s %8s %-24s %9.4f\n' "$name" "$(megabytes "$page")" "$peer" "$t"
    if [[ -z "${fastest[$name]:-}" ]] || awk -v t="$t" -v b="${fastest[$name]}" 'BEGIN { exit !(t < b) }'; then
      fastest[$name]=$t
      fastest_name[$name]=$peer
    fi
  done
done

echo
echo "== Quillmar render passes (render_system_bench: Qt rasteriser, Liberation Sans 8 pt, 1280 x 800)"
QT_QPA_PLATFORM=offscreen "$bench" --benchmark_min_time=1 --benchmark_out="$work/bench.json" \
  --benchmark_out_format=json "${pages[@]}" 2>/dev/null | grep -E '^memory' || true

python3 - "$work/bench.json" <<'EOF' > "$work/passes.txt"
import json, sys
data = json.load(open(sys.argv[1]))
for b in data["benchmarks"]:
    ms = b["real_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6, "s": 1e3}[b["time_unit"]]
    print(b["name"], "%.7f" % (ms / 1000))
EOF

echo
printf '%-18s %-26s %10s %12s %9s  %s\n' page "prepare + mark" seconds "fastest peer" ratio "target >= 3"
for page in "${pages[@]}"; do
  name=$(basename "$page")
  t=$(awk -v n="PrepareMark/$name" '$1 == n { print $2 }' "$work/passes.txt")
  awk -v n="$name" -v t="$t" -v p="${fastest[$name]}" -v who="${fastest_name[$name]}" 'BEGIN {
    r = p / t
    printf "%-18s %-26s %10.4f %12.4f %9.2f  %s (%s)\n", n, "", t, p, r, (r >= 3 ? "met" : "MISSED"), who }'
done

echo
printf '%-34s %10s  %s\n' "paint pass, $(basename "$large")" ms "target < 10 ms"
for place in top middle end; do
  t=$(awk -v n="Paint/$(basename "$large")/$place" '$1 == n { print $2 }' "$work/passes.txt")
  awk -v p="$place" -v t="$t" 'BEGIN { ms = t * 1000; printf "%-34s %10.3f  %s\n", p, ms, (ms < 10 ? "met" : "MISSED") }'
done
for place in top middle end; do
  t=$(awk -v n="Paint/page-1mb.html/$place" '$1 == n { print $2 }' "$work/passes.txt")
  awk -v p="$place (1 MB page)" -v t="$t" 'BEGIN { printf "%-34s %10.3f\n", p, t * 1000 }'
done

echo
echo "== quillmar --dump --utf8 of $(basename "$large") as a whole process, best of $runs"
t=$(best_time "$quillmar" --dump --utf8 "$large")
name=$(basename "$large")
awk -v t="$t" -v p="${fastest[$name]}" -v who="${fastest_name[$name]}" 'BEGIN {
  r = p / t
  printf "quillmar --dump %.4f s, fastest peer %.4f s (%s), ratio %.2f: %s (target >= 2)\n", t, p, who, r, (r >= 2 ? "met" : "MISSED") }'

printf '<html><body>x</body></html>' > "$work/tiny.html"
peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; }
base=$(peak_kb "$quillmar" --dump --utf8 "$work/tiny.html")
peak=$(peak_kb "$quillmar" --dump --utf8 "$large")
awk -v base="$base" -v peak="$peak" -v bytes="$(stat -L -c %s "$large")" 'BEGIN {
  beyond = (peak - base) * 1024
  printf "resident memory: peak %.1f MB, start-up %.1f MB, beyond start-up %.1f MB = %.2f x the %.1f MB page: %s (target <= 5)\n",
    peak * 1024 / 1e6, base * 1024 / 1e6, beyond / 1e6, beyond / bytes, bytes / 1e6, (beyond / bytes <= 5 ? "met" : "MISSED") }'
