#!/usr/bin/env bash
# Russian pages of the Debian documentation, each in five charsets with its declarations taken
# out, read with --charset auto: each must come out as the page decoded in its own charset.
# Also shows the first line of the garbled reading the program gives without the option.
#
#   bench/charset_corpus.sh [BUILD_DIR] [DIR]   (defaults: build, build-bench/corpus-ru)
set -euo pipefail

build=${1:-build}
dir=${2:-build-bench/corpus-ru}
packages=(maint-guide-ru debian-faq-ru developers-reference-ru aptitude-doc-ru)
mkdir -p "$dir/debs" "$dir/tree"
for p in "${packages[@]}"; do
  ls "$dir/debs/${p}"_*.deb >/dev/null 2>&1 || (cd "$dir/debs" && apt-get download "$p" >/dev/null)
  [[ -d "$dir/tree/$p" ]] || dpkg-deb -x "$(ls "$dir/debs/${p}"_*.deb | head -n 1)" "$dir/tree/$p"
done

exec python3 - "$build/quillmar" "$dir" <<'PY'
import glob, os, re, subprocess, sys

quillmar, folder = sys.argv[1], sys.argv[2]
# The largest page of each package, and the second largest of the biggest one: five pages.
pages = []
for package in sorted(glob.glob(os.path.join(folder, 'tree', '*'))):
    found = sorted(glob.glob(os.path.join(package, '**', '*.html'), recursive=True),
                   key=os.path.getsize, reverse=True)
    pages += found[:2 if not pages else 1]
pages = pages[:5]
charsets = ['utf-8', 'koi8-r', 'windows-1251', 'ibm866', 'iso-8859-5']
codecs = {'utf-8': 'utf-8', 'koi8-r': 'koi8_r', 'windows-1251': 'cp1251', 'ibm866': 'cp866',
          'iso-8859-5': 'iso8859_5'}
work = os.path.join(folder, 'variants')
os.makedirs(work, exist_ok=True)

def dump(path, *options):
    return subprocess.run([quillmar, '--dump', '--columns', '200', *options, path], capture_output=True,
                          timeout=120).stdout.decode('utf-8', 'replace')

right = total = 0
for page in pages:
    text = open(page, encoding='utf-8').read()
    # Declarations out: only the bytes tell.
    text = re.sub(r'<meta[^>]*charset[^>]*>', '', text, flags=re.I)
    for charset in charsets:
        path = os.path.join(work, f'{os.path.basename(page)}.{charset}.html')
        open(path, 'wb').write(text.encode(codecs[charset], 'replace'))
        auto = dump(path, '--charset', 'auto')
        forced = dump(path, '--charset', charset)
        shown = auto.split('\n', 1)[1] if auto.startswith('Charset:') else auto
        total += 1
        right += shown == forced
        if charset == 'koi8-r' and page == pages[0]:
            plain = [l for l in dump(path).splitlines() if re.search('[А-Яа-я]', l)]
            readable = [l for l in forced.splitlines() if re.search('[А-Яа-я]', l)]
            print(f'without the option: {plain[0][:60] if plain else ""}')
            print(f'with --charset auto: {readable[0][:60] if readable else ""}')
        if shown != forced:
            print(f'  wrong: {os.path.basename(path)}: {auto.splitlines()[0]}')
print(f'pages: {len(pages)}, readings in the right charset with --charset auto: {right} of {total}')
PY
