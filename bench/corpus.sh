#!/usr/bin/env bash
# Fetches real HTML pages written by others for the render benchmarks, without committing them:
# Debian documentation packages are downloaded (not installed) and unpacked into a folder, and
# the pages the benchmarks use are linked under stable names:
#
#   DIR/page-1mb.html    the real page closest to 1 MB
#   DIR/page-large.html  the largest real page found
#   DIR/page-10mb.html   the largest page when it reaches 10 MB, else real pages joined to 10+ MB
#   DIR/pages.txt        what each name points at, with sizes
#
#   bench/corpus.sh [DIR]    (default: build-bench/corpus)
set -euo pipefail

dir=${1:-build-bench/corpus}
# ghc-doc ships the largest single pages (13 MB of generated library documentation).
packages=(python3.11-doc postgresql-doc-15 debian-reference-en ghc-doc)
ten_mb=$((10 * 1000 * 1000))
one_mb=$((1000 * 1000))

mkdir -p "$dir/debs" "$dir/tree"
dir=$(cd "$dir" && pwd)

for p in "${packages[@]}"; do
  if ! ls "$dir/debs/${p}"_*.deb >/dev/null 2>&1; then
    (cd "$dir/debs" && apt-get download "$p") || {
      # A fresh machine has no package lists yet.
      apt-get update >/dev/null
      (cd "$dir/debs" && apt-get download "$p")
    }
  fi
  deb=$(ls "$dir/debs/${p}"_*.deb | head -n 1)
  [[ -d "$dir/tree/$p" ]] || dpkg-deb -x "$deb" "$dir/tree/$p"
done

# Real pages only: *.html files, symbolic links not followed, sizes in bytes.
find "$dir/tree" -type f -name '*.html' -printf '%s %p\n' | sort -n > "$dir/all-pages.txt"
[[ -s "$dir/all-pages.txt" ]] || { echo "no HTML pages found" >&2; exit 1; }

read -r large_size large < <(tail -n 1 "$dir/all-pages.txt")
read -r one_size one < <(awk -v t="$one_mb" '
  { d = $1 - t; if (d < 0) d = -d; if (best == "" || d < best) { best = d; line = $0 } }
  END { print line }' "$dir/all-pages.txt")

ln -sf "$large" "$dir/page-large.html"
ln -sf "$one" "$dir/page-1mb.html"

if ((large_size >= ten_mb)); then
  ln -sf "$large" "$dir/page-10mb.html"
  ten_note="the largest real page itself"
else
  # No single page is big enough: join the largest real pages, whole, until 10 MB is passed.
  rm -f "$dir/page-10mb.html"
  joined=0
  while read -r size path; do
    cat "$path" >> "$dir/page-10mb.html"
    joined=$((joined + 1))
    (($(stat -c %s "$dir/page-10mb.html") >= ten_mb)) && break
  done < <(sort -rn "$dir/all-pages.txt")
  ten_note="$joined real pages joined, largest first"
fi

{
  printf 'page-1mb.html    %10d  %s\n' "$one_size" "${one#"$dir"/}"
  printf 'page-large.html  %10d  %s\n' "$large_size" "${large#"$dir"/}"
  printf 'page-10mb.html   %10d  %s\n' "$(stat -L -c %s "$dir/page-10mb.html")" "$ten_note"
} | tee "$dir/pages.txt"
