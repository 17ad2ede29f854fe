#!/usr/bin/env bash
# Times `quillmar --dump` as a whole process beside the -dump of three text-mode browsers, all in
# the same run: a tiny page (start-up) and the real page of the corpus closest to 1 MB.
# Targets: the tiny page within 1.5 times w3m's time; the 1 MB page at least 2 times faster than
# the fastest of w3m, lynx and elinks.
#
#   bench/dump_peers.sh [BUILD_DIR] [CORPUS_DIR]   (defaults: build, build-bench/corpus; RUNS=30)
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
# for the processor, the processor time does not.
measure() {
  local page=$1 commands=()
  for p in "${programs[@]}"; do commands+=("$p $page"); done
  hyperfine -N --warmup 5 --runs "$runs" --export-json "$work/times.json" "${commands[@]}" >/dev/null 2>&1
  python3 - "$work/times.json" "${programs[@]}" <<'EOF'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
for name, r in zip(sys.argv[2:], results):
    print("%s\t%.3f\t%.3f\t%.3f\t%.3f" % (name.split("/")[-1], r["median"] * 1e3, r["mean"] * 1e3,
                                       r["min"] * 1e3, (r["user"] + r["system"]) * 1e3))
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
awk -F'\t' 'NR == 1 { q = $2; next } best == "" || $2 < best { best = $2; who = $1 } END {
  r = best / q
  printf "1 MB page: quillmar %.2f ms, fastest peer %.2f ms (%s), %.2f times faster: %s (target >= 2)\n", q, best, who, r, (r >= 2 ? "met" : "MISSED") }' \
  "$work/page-1mb.html.txt"
