#!/usr/bin/env bash
# Saving every linked file at once beside wget, in the same run, against a local nginx:
#  1. a page with 2,000 images and a stylesheet: `quillmar --save-linked DIR` against
#     `wget -p -nd` (page requisites);
#  2. the generated site of the site check (bench/site_gen.py, PAGES pages):
#     `quillmar --save-linked DIR --recursive --ext png` against `wget -r -l inf -nd -A png`.
# Targets: the same files by content as wget saves (names may differ), and at least 2 times
# faster. nginx and wget are installed when missing (apt-get, as root).
#
#   bench/save_linked_peers.sh [BUILD_DIR]   (PAGES=10000, RUNS=3; the median run counts)
set -euo pipefail

build=${1:-build}
pages=${PAGES:-10000}
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
quillmar=$(cd "$build" && pwd)/quillmar
[[ -x "$quillmar" ]] || { echo "build $quillmar first" >&2; exit 1; }
source "$here/local_nginx.sh"
install_bench_tools

work=$(mktemp -d)
cleanup() { stop_nginx "$work"; stop_nginx "$work/docs-server"; rm -rf "$work"; }
trap cleanup EXIT
python3 "$here/site_gen.py" "$work/site" "$pages" 60
python3 - "$work/site" <<'PY'
import os, sys
root = sys.argv[1]
os.makedirs(os.path.join(root, "many"), exist_ok=True)
lines = ['<html><head><link rel="stylesheet" href="/css/0.css"></head><body>']
for n in range(2000):
    with open(os.path.join(root, "many", "%d.png" % n), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + n.to_bytes(4, "big") * 100)
    lines.append('<img src="/many/%d.png" alt="%d">' % (n, n))
with open(os.path.join(root, "many.html"), "w") as f:
    f.write("\n".join(lines + ["</body></html>"]) + "\n")
PY
start_nginx "$work" "$work/site"
base=http://127.0.0.1:$port

# The sha256 of every file saved, sorted: the set of contents, whatever the names. The pages
# themselves and the robots.txt wget reads for itself are not linked files.
contents() { find "$1" -type f ! -name '*.html' ! -name robots.txt -exec sha256sum {} + | awk '{ print $1 }' | sort; }

# The median wall time of RUNS runs of a command that saves into $work/out.
median() {
  local times=()
  for ((run = 1; run <= runs; run++)); do
    rm -rf "$work/out"
    local t0=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || true
    times+=("$(echo "$(date +%s.%N) - $t0" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

compare() { # compare NAME QUILLMAR_COMMAND... -- WGET_COMMAND...
  local name=$1; shift
  local q=() w=()
  while [[ $1 != -- ]]; do q+=("$1"); shift; done; shift; w=("$@")
  local tq tw same
  tq=$(median "${q[@]}"); contents "$work/out" > "$work/q.sums"
  tw=$(median "${w[@]}"); contents "$work/out" > "$work/w.sums"
  same=no; cmp -s "$work/q.sums" "$work/w.sums" && same=yes
  printf '%-34s %8.3f %8.3f %6s %6s  %-4s %5.2f %s\n' "$name" "$tq" "$tw" "$(wc -l < "$work/q.sums")" \
    "$(wc -l < "$work/w.sums")" "$same" "$(echo "$tw / $tq" | bc -l)" \
    "$(awk -v r="$(echo "$tw / $tq" | bc -l)" -v t="${target:-2}" \
       'BEGIN { print (t == 0 ? "(no speed target)" : r >= t ? "met" : "MISSED") }')"
}

echo "== saving linked files, nginx on 127.0.0.1, median of $runs runs (target: same files, 2 times faster than wget)"
printf '%-34s %8s %8s %6s %6s  %-4s %5s\n' case "quillmar" "wget" files files same ratio
compare "page of 2,000 images (wget -p)" "$quillmar" --save-linked "$work/out" "$base/many.html" -- \
  wget -q -p -nd -P "$work/out" "$base/many.html"
# Corpus pages with their stylesheets, scripts and pictures (bench/corpus.sh), when present:
# the same files is the target there; a page of a dozen files is over in milliseconds.
docs=$here/../build-bench/corpus/tree/python3.11-doc/usr/share/doc/python3.11/html
if [[ -d $docs ]]; then
  mkdir -p "$work/docs-server"
  start_nginx "$work/docs-server" "$docs"
  for page in library/os.html tutorial/index.html reference/datamodel.html; do
    target=0 compare "corpus $page" "$quillmar" --save-linked "$work/out" "http://127.0.0.1:$port/$page" -- \
      wget -q -p -nd -P "$work/out" "http://127.0.0.1:$port/$page"
  done
  stop_nginx "$work/docs-server"
fi
compare "site of $pages pages, --ext png" "$quillmar" --save-linked "$work/out" --recursive --ext png "$base/" -- \
  wget -q -r -l inf -nd -A png -P "$work/out" "$base/"
