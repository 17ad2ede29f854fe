#!/usr/bin/env bash
# Times `quillmar --run` on a program of 1,000 GO lines to pages of a local nginx beside a shell
# loop of 1,000 `curl -s -o /dev/null` on the same addresses, in the same run.
# Target: --run at least 2 times faster than the loop (ratio loop / quillmar >= 2 on the median).
#
#   bench/run_peers.sh [BUILD_DIR]   (default build; RUNS=10, PAGES=1000)
#
# nginx, curl and hyperfine are installed when missing (apt-get, as root). nginx runs on a free
# port of 127.0.0.1 and is stopped at the end.
set -euo pipefail

build=${1:-build}
runs=${RUNS:-10}
pages=${PAGES:-1000}
quillmar="$build/quillmar"
[[ -x "$quillmar" ]] || { echo "build $quillmar first (cmake --build $build --target quillmar)" >&2; exit 1; }

source "$(dirname "$0")/local_nginx.sh"
start_local_nginx curl

# Small pages of a few kilobytes, each requested once per run.
for ((i = 0; i < pages; i++)); do
  { echo "<html><head><title>page $i</title></head><body>"
    for ((line = 0; line < 40; line++)); do echo "<p>page $i, line $line: <a href=\"p$line.html\">next</a></p>"; done
    echo "</body></html>"; } > "$work/site/p$i.html"
  echo "http://127.0.0.1:$port/p$i.html" >> "$work/urls.txt"
done
sed 's/^/GO "/; s/$/"/' "$work/urls.txt" > "$work/go.qmp"
cat > "$work/loop.sh" <<EOF
while read -r url; do curl -s -o /dev/null "\$url"; done < "$work/urls.txt"
EOF
for _ in $(seq 1 50); do [[ -s "$work/nginx.pid" ]] && break; sleep 0.1; done

# Both must fetch every page: the run ends normally and the server answered 200 each time.
"$quillmar" --run "$work/go.qmp" > /dev/null 2> "$work/run.err" || { tail -3 "$work/run.err"; exit 1; }
status=$(curl -s -o /dev/null -w '%{http_code}' "$(tail -1 "$work/urls.txt")")
[[ $status == 200 ]] || { echo "nginx answered $status" >&2; exit 1; }

hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/times.json" \
  "$quillmar --run $work/go.qmp" \
  "bash $work/loop.sh" >/dev/null 2>&1

echo "== $pages GO lines to nginx on 127.0.0.1, whole processes, $runs runs each (hyperfine, no shell)"
python3 - "$work/times.json" <<'EOF'
import json, sys
q, c = json.load(open(sys.argv[1]))["results"]
print("%-26s %10s %10s %10s %10s" % ("program", "median ms", "mean ms", "min ms", "cpu ms"))
for name, r in (("quillmar --run", q), ("shell loop of curl", c)):
    print("%-26s %10.1f %10.1f %10.1f %10.1f" % (name, r["median"] * 1e3, r["mean"] * 1e3, r["min"] * 1e3,
                                                 (r["user"] + r["system"]) * 1e3))
ratio = c["median"] / q["median"]
print("ratio curl loop / quillmar on the median: %.2f: %s (target >= 2)" % (ratio, "met" if ratio >= 2 else "MISSED"))
EOF
