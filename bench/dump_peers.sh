#!/usr/bin/env bash
# Times `quillmar --dump` as a whole process beside the -dump of three text-mode browsers, all in
# the same run: a tiny page (start-up), the real page of the corpus closest to 1 MB and every
# real page of the corpus of 1 MB or more.
# Targets: the tiny page within 1.5 times w3m's time; every page of 1 MB or more at least 4 times
# faster than the fastest of w3m, lynx and elinks; peak memory of the largest page's dump under
# its size plus 25 MB; the layout passes (prepare + mark) of that page at 100 MB/s in process
# (bench/page_layout_bench.cpp); every paint pass of every page of 1 MB or more under 1 ms.
#
#   bench/dump_peers.sh [BUILD_DIR] [CORPUS_DIR]   (defaults: build, build-bench/corpus; RUNS=30,
#                                                   LARGE_RUNS=10 for the pages of 1 MB or more)
#
# hyperfine and the browsers are installed when missing (apt-get, as root); the page comes from
# bench/corpus.sh, which runs first when it is missing.
set -euo pipefail

build=${1:-build}
corpus=${2:-build-bench/corpus}
runs=${RUNS:-30}
here=$(cd "$(dirname "$0")" && pwd)
quillmar="$build/quillmar"
[[ -x "$quillmar" ]] || { echo "build $quillmar first (cmake --build $build --target quillmar)" >&2; exit 1; }

missing=()
for p in hyperfine w3m lynx elinks; do command -v "$p" >/dev/null || missing+=("$p"); done
if ((${#missing[@]})); then
  [[ $(id -u) -eq 0 ]] || { echo "install as root: apt-get install -y ${missing[*]}" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null ||
    { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null; }
fi

[[ -e "$corpus/page-1mb.html" ]] || "$here/corpus.sh" "$corpus" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '<html><head><title>tiny</title></head><body><p>x</p></body></html>\n' > "$work/tiny.html"

programs=("$quillmar --dump --utf8" "w3m -dump" "lynx -dump -force_html" "elinks -dump")

# One line per program, in the order of $programs: name, then median, mean and min wall time and
# mean processor time (user and system) in milliseconds; on a busy machine the wall times wait
# for the processor, the processor time does not. The runs are taken in rounds of two, each
# program in turn, so that a burst of load from elsewhere falls on all of them alike.
measure() {
  local page=$1 commands=() round rounds=$(((runs + 1) / 2))
  for p in "${programs[@]}"; do commands+=("$p $page"); done
  for ((round = 1; round <= rounds; round++)); do
    hyperfine -N --warmup 1 --runs 2 --export-json "$work/times$round.json" "${commands[@]}" \
      >/dev/null 2>&1
  done
  python3 - "$work" "$rounds" "${programs[@]}" <<'EOF'
import json, statistics, sys
rounds = [json.load(open("%s/times%d.json" % (sys.argv[1], n)))["results"]
          for n in range(1, int(sys.argv[2]) + 1)]
for index, name in enumerate(sys.argv[3:]):
    times = [t for results in rounds for t in results[index]["times"]]
    cpu = statistics.mean(r[index]["user"] + r[index]["system"] for r in rounds)
    print("%s\t%.3f\t%.3f\t%.3f\t%.3f" % (name.split("/")[-1], statistics.median(times) * 1e3,
                                       statistics.mean(times) * 1e3, min(times) * 1e3, cpu * 1e3))
EOF
}

echo "== whole processes, -dump to /dev/null, $runs runs each (hyperfine, no shell); targets on the median"
printf '%-16s %-26s %10s %10s %10s %10s\n' page program "median ms" "mean ms" "min ms" "cpu ms"
for page in "$work/tiny.html" "$corpus/page-1mb.html"; do
  name=$(basename "$page")
  measure "$page" > "$work/$name.txt"
  while IFS=$'\t' read -r program median mean min cpu; do
    printf '%-16s %-26s %10s %10s %10s %10s\n' "$name" "$program" "$median" "$mean" "$min" "$cpu"
  done < "$work/$name.txt"
done

echo
awk -F'\t' 'NR == 1 { q = $2 } $1 ~ /^w3m/ { w = $2 } END {
  r = q / w
  printf "tiny page: quillmar %.2f ms, w3m %.2f ms, ratio %.2f: %s (target <= 1.5)\n", q, w, r, (r <= 1.5 ? "met" : "MISSED") }' \
  "$work/tiny.html.txt"

# The fastest peer's median over quillmar's, for one page's measure lines.
ratio_line() { # ratio_line NAME SIZE FILE
  awk -F'\t' -v name="$1" -v size="$2" 'NR == 1 { q = $2; next } best == "" || $2 < best { best = $2; split($1, words, " "); who = words[1] } END {
    r = best / q
    printf "%-44s %10d %10.2f %10.2f  %-10s %6.2f  %s\n", name, size, q, best, who, r, (r >= 4 ? "met" : "MISSED") }' "$3"
}

echo
runs=${LARGE_RUNS:-10}
echo "== every corpus page of 1 MB or more, $runs runs each; target: at least 4 times faster than the fastest peer"
printf '%-44s %10s %10s %10s  %-10s %6s\n' page bytes "quillmar" "peer ms" peer ratio
ratio_line page-1mb.html "$(stat -L -c %s "$corpus/page-1mb.html")" "$work/page-1mb.html.txt"
missed=0
while read -r size path; do
  measure "$path" > "$work/large.txt"
  line=$(ratio_line "$(basename "$path")" "$size" "$work/large.txt")
  echo "$line"
  [[ $line == *MISSED ]] && missed=$((missed + 1))
done < <(awk '$1 >= 1000000' "$corpus/all-pages.txt")
echo "pages of 1 MB or more that missed the target: $missed"

echo
largest=$(readlink -f "$corpus/page-10mb.html")
size=$(stat -c %s "$largest")
peak_kb=$(/usr/bin/time -f %M "$quillmar" --dump --utf8 "$largest" 2>&1 >/dev/null | tail -1)
limit_kb=$((size / 1024 + 25 * 1024))
echo "== peak memory of the dump of $(basename "$largest") ($((size >> 20)) MiB): $((peak_kb / 1024)) MiB," \
  "target under $((limit_kb / 1024)) MiB: $([[ $peak_kb -lt $limit_kb ]] && echo met || echo MISSED)"

if cmake --build "$build" --target page_layout_bench >/dev/null 2>&1; then
  echo
  echo "== layout in process at 80 columns, $(basename "$largest"); target: Layout/both at 100 MB/s"
  QM_PAGE="$largest" "$build/bench/page_layout_bench" --benchmark_filter='Layout|Dump' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/_median/ { print "  " $0 }'
  echo
  echo "== the slowest paint pass (1024 x 768) at 13 places of every page of 1 MB or more; target under 1 ms"
  slow=0
  while read -r size path; do
    worst=$(QM_PAGE="$path" "$build/bench/page_layout_bench" --benchmark_filter=Paint \
      --benchmark_min_time=0.05 --benchmark_format=csv 2>/dev/null |
      awk -F, 'NR > 1 && $4 > worst { worst = $4 } END { printf "%.0f", worst }')
    ((worst < 1000)) || slow=$((slow + 1))
    printf '%-44s %10d %8s us\n' "$(basename "$path")" "$size" "$worst"
  done < <(awk '$1 >= 1000000' "$corpus/all-pages.txt")
  echo "pages with a paint pass of 1 ms or more: $slow"
fi
