#!/usr/bin/env bash
# Times `quillmar --check-links` as a whole process on a page with 1,000 links to a local nginx
# (half of them missing) beside `wget --spider --input-file` on the same 1,000 addresses, in the
# same run, and checks that both find the same links broken.
# Target: --check-links at least as fast as wget (ratio wget / quillmar >= 1 on the median).
#
#   bench/check_links_peers.sh [BUILD_DIR]   (default build; RUNS=20, LINKS=1000)
#
# nginx, wget and hyperfine are installed when missing (apt-get, as root). nginx runs as this
# user on a free port of 127.0.0.1 and is stopped at the end.
set -euo pipefail

build=${1:-build}
runs=${RUNS:-20}
links=${LINKS:-1000}
quillmar="$build/quillmar"
[[ -x "$quillmar" ]] || { echo "build $quillmar first (cmake --build $build --target quillmar)" >&2; exit 1; }

source "$(dirname "$0")/local_nginx.sh"
start_local_nginx wget

# Even links exist, odd ones do not; the page is a local file, as wget's list is.
{
  echo "<html><head><title>links</title></head><body>"
  for ((i = 0; i < links; i++)); do
    if ((i % 2 == 0)); then echo "<p>page $i</p>" > "$work/site/p$i.html"; fi
    echo "<a href=\"http://127.0.0.1:$port/p$i.html\">link $i</a><br>"
  done
  echo "</body></html>"
} > "$work/page.html"
grep -o 'http://[^"]*' "$work/page.html" > "$work/urls.txt"
for _ in $(seq 1 50); do [[ -s "$work/nginx.pid" ]] && break; sleep 0.1; done

# Verdicts: the addresses each program calls broken, sorted.
"$quillmar" --check-links "$work/page.html" > "$work/quillmar.out" || true
awk -F'\t' '$5 !~ /^[0-9]+$/ || $5 >= 400 { print $4 }' "$work/quillmar.out" | sort > "$work/quillmar.broken"
wget --spider -nv --input-file="$work/urls.txt" > "$work/wget.out" 2>&1 || true
# wget -nv names a broken address on the line before its "broken link!!!" line.
awk '/broken link!!!$/ { sub(/:$/, "", previous); print previous } { previous = $0 }' \
  "$work/wget.out" | sort > "$work/wget.broken"
checked=$(wc -l < "$work/quillmar.out")

hyperfine -N -i --warmup 3 --runs "$runs" --export-json "$work/times.json" \
  "$quillmar --check-links $work/page.html" \
  "wget --spider -q --input-file=$work/urls.txt" >/dev/null 2>&1

echo "== $links links to nginx on 127.0.0.1 (half missing), whole processes, $runs runs each (hyperfine, no shell)"
python3 - "$work/times.json" <<'EOF'
import json, sys
q, w = json.load(open(sys.argv[1]))["results"]
print("%-24s %10s %10s %10s %10s" % ("program", "median ms", "mean ms", "min ms", "cpu ms"))
for name, r in (("quillmar --check-links", q), ("wget --spider", w)):
    print("%-24s %10.2f %10.2f %10.2f %10.2f" % (name, r["median"] * 1e3, r["mean"] * 1e3, r["min"] * 1e3,
                                                 (r["user"] + r["system"]) * 1e3))
ratio = w["median"] / q["median"]
print("ratio wget / quillmar on the median: %.2f: %s (target >= 1)" % (ratio, "met" if ratio >= 1 else "MISSED"))
EOF
if cmp -s "$work/quillmar.broken" "$work/wget.broken"; then
  echo "verdicts: identical ($checked addresses, $(wc -l < "$work/quillmar.broken") broken by both)"
else
  echo "verdicts: DIFFERENT (quillmar $(wc -l < "$work/quillmar.broken") broken, wget $(wc -l < "$work/wget.broken"))"
  diff "$work/quillmar.broken" "$work/wget.broken" | head -5
  exit 1
fi
