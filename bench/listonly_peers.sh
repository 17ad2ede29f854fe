#!/usr/bin/env bash
# The page as data against a peer: on every page of the corpus, each address that
# `lynx -listonly -dump` lists must be among the blocks of `quillmar --dump --format json`.
# Also counts, per page, the blocks the hidden-address option adds (--hidden).
#
#   bench/listonly_peers.sh [BUILD_DIR] [CORPUS_DIR]   (defaults: build, build-bench/corpus;
#                                                     LIMIT=N compares only the first N pages)
set -euo pipefail

build=${1:-build}
corpus=${2:-build-bench/corpus}
here=$(cd "$(dirname "$0")" && pwd)
[[ -e "$corpus/all-pages.txt" ]] || "$here/corpus.sh" "$corpus" >/dev/null
command -v lynx >/dev/null || { apt-get install -y lynx >/dev/null; }

exec python3 - "$build/quillmar" "$corpus/all-pages.txt" "${LIMIT:-0}" <<'PY'
import html, json, subprocess, sys, urllib.parse

quillmar, listing, limit = sys.argv[1], sys.argv[2], int(sys.argv[3])
pages = [line.split(' ', 1)[1].strip() for line in open(listing) if line.strip()]
if limit: pages = pages[:limit]

def norm(address):
    # Both sides may escape differently and keep or drop the fragment.
    address = urllib.parse.unquote(address.split('#', 1)[0])
    return address.rstrip('/')

def lynx(page):
    out = subprocess.run(['lynx', '-listonly', '-dump', '-nonumbers', '-hiddenlinks=merge',
                          '-display_charset=utf-8', page], capture_output=True, timeout=120)
    found = set()
    for line in out.stdout.decode('utf-8', 'replace').splitlines():
        line = line.strip()
        if '://' in line or line.startswith('mailto:'):
            found.add(norm(line))
    return found

def blocks(page, hidden):
    args = [quillmar, '--dump', '--format', 'json'] + (['--hidden'] if hidden else []) + [page]
    out = subprocess.run(args, capture_output=True, timeout=120)
    return json.loads(out.stdout.decode('utf-8'))['blocks']

compared = whole = 0
missing_total = unescaped_total = 0
added = []
samples = []
for page in pages:
    try:
        theirs = lynx(page)
        mine = blocks(page, False)
        with_hidden = blocks(page, True)
    except Exception as error:  # a page either side cannot read is reported, not hidden
        print(f'skipped {page}: {error}', file=sys.stderr)
        continue
    ours = {norm(b['address']) for b in mine if b['address']}
    missing = sorted(a for a in theirs if a not in ours)
    # Blocks keep character references other than &amp; in their addresses, as the view does.
    unescaped = {norm(html.unescape(b['address'])) for b in mine if b['address']}
    unescaped_total += sum(1 for a in missing if a not in unescaped)
    compared += 1
    whole += not missing
    missing_total += len(missing)
    if missing and len(samples) < 10:
        samples.append((page, missing[:3]))
    added.append(sum(b['kind'] == 'hidden' for b in with_hidden))

print(f'pages compared: {compared}')
print(f'pages where every lynx address is among the blocks: {whole}')
print(f'lynx addresses missing from the blocks: {missing_total}, of which written with '
      f'character references: {missing_total - unescaped_total}')
for page, missing in samples:
    print(f'  {page}: {missing}')
if added:
    added.sort()
    print(f'hidden addresses added per page: total {sum(added)}, pages with any '
          f'{sum(1 for a in added if a)}, median {added[len(added) // 2]}, max {added[-1]}')
PY
