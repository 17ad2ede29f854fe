#!/usr/bin/env bash
# The site check beside its peers, in the same run: `quillmar --check-links --recursive`,
# `wget --spider -r -l inf` and linkinator 6 `--recurse` crawl a generated site
# (bench/site_gen.py: PAGES pages of 20 links, 3 images and a stylesheet each, 60 broken
# addresses) served by a local nginx on 127.0.0.1.
# Targets: the same broken addresses as the generator planted and as wget finds; at least 3
# times faster than the fastest peer; peak memory under a third of linkinator's.
#
#   bench/site_check_peers.sh [BUILD_DIR]   (PAGES=10000, RUNS=3; the median run counts)
#
# nginx and wget are installed when missing (apt-get, as root); linkinator 6 goes into a scratch
# folder from npm (version 8 needs a newer Node than Debian's). Nothing of it is used by the
# program.
set -euo pipefail

build=${1:-build}
pages=${PAGES:-10000}
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
quillmar=$(cd "$build" && pwd)/quillmar
[[ -x "$quillmar" ]] || { echo "build $quillmar first" >&2; exit 1; }

source "$here/local_nginx.sh"
install_bench_tools time:/usr/bin/time npm:npm
scratch=${LINKINATOR_DIR:-/tmp/quillmar-bench-linkinator}
linkinator=$scratch/node_modules/.bin/linkinator
[[ -x "$linkinator" ]] || npm install --prefix "$scratch" linkinator@6 >/dev/null 2>&1

work=$(mktemp -d)
cleanup() { stop_nginx "$work"; [[ -n ${KEEP:-} ]] || rm -rf "$work"; }
trap cleanup EXIT
python3 "$here/site_gen.py" "$work/site" "$pages" 60
start_nginx "$work" "$work/site"

# The site's root: linkinator does not recurse from a start address that names a file.
start=http://127.0.0.1:$port/
sed "s|^|http://127.0.0.1:$port|" "$work/site/broken.txt" > "$work/planted.txt"

# The broken addresses each program reports, one per line, sorted.
broken_quillmar() { awk -F'\t' '$7 ~ /^[0-9]+$/ && $7 >= 400 { print $6 }' "$1" | sort -u; }
broken_wget() { sed -n '/^Found [0-9]* broken link/,$p' "$1" | grep -o 'http://[^ ]*' | sort -u; }
broken_linkinator() { awk -F, '$3 == "BROKEN" { print $1 }' "$1" | tr -d '"' | sort -u; }

declare -A commands=(
  [quillmar]="$quillmar --check-links --recursive $start"
  [wget]="wget --spider -r -l inf -nv -nd -P $work/wget-files $start"
  [linkinator]="$linkinator $start --recurse --format csv --concurrency 100"
)
order=(quillmar wget linkinator)
declare -A seconds memory found
for program in "${order[@]}"; do
  times=()
  for ((run = 1; run <= runs; run++)); do
    /usr/bin/time -f "%e %M" -o "$work/time" ${commands[$program]} > "$work/$program.out" 2> "$work/$program.err" || true
    read -r elapsed kb < <(tail -1 "$work/time")
    times+=("$elapsed $kb")
  done
  read -r seconds[$program] memory[$program] < <(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  case $program in
    quillmar) broken_quillmar "$work/quillmar.out" > "$work/$program.broken" ;;
    wget) broken_wget "$work/wget.err" > "$work/$program.broken" ;;
    linkinator) broken_linkinator "$work/linkinator.out" > "$work/$program.broken" ;;
  esac
  found[$program]=$(wc -l < "$work/$program.broken")
done

addresses=$(grep -c . "$work/quillmar.out")
echo "== site check of $pages generated pages ($addresses addresses, $(wc -l < "$work/planted.txt") planted broken), nginx on 127.0.0.1, median of $runs runs"
printf '%-12s %10s %10s %8s  %s\n' program seconds "peak MB" broken "same as planted"
for program in "${order[@]}"; do
  same=no; cmp -s "$work/$program.broken" "$work/planted.txt" && same=yes
  printf '%-12s %10s %10.1f %8s  %s\n' "$program" "${seconds[$program]}" \
    "$(echo "${memory[$program]} / 1024" | bc -l)" "${found[$program]}" "$same"
done
echo
tail -1 "$work/quillmar.err"
python3 - "${seconds[quillmar]}" "${seconds[wget]}" "${seconds[linkinator]}" \
  "${memory[quillmar]}" "${memory[linkinator]}" "$addresses" <<'PY'
import sys
q, w, l, qm, lm, n = map(float, sys.argv[1:])
best = min(w, l)
ratio = best / q if q > 0 else float("inf")
print("speed: %.2f times faster than the fastest peer: %s (target >= 3)" % (ratio, "met" if ratio >= 3 else "MISSED"))
share = qm / lm
print("memory: %.1f MB against linkinator's %.1f MB, %.2f of it: %s (target < 0.33)" % (qm / 1024, lm / 1024, share, "met" if share < 1 / 3 else "MISSED"))
print("memory per 10,000 addresses: %.1f MB" % (qm / 1024 / (n / 10000)))
PY
