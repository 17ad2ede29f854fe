#!/usr/bin/env bash
# cmake --install into a scratch prefix: every file in its place, the desktop entry and the
# AppStream file valid (when the validators are installed), and the installed command working
# with its data in the per-user folder. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
app_id=example.fgs.Quillmar
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
failed=0
fail() { echo "FAIL $*"; failed=1; }

for f in bin/quillmar lib/quillmar/quillmar lib/quillmar/quillmar-window \
         lib/quillmar/quillmar-http.so lib/quillmar/quillmar-store.so lib/quillmar/quillmar.map lib/quillmar/quillmar.installed \
         share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$app_id.svg share/icons/hicolor/48x48/apps/$app_id.png \
         share/icons/hicolor/256x256/apps/$app_id.png; do
    [[ -e $prefix/$f ]] || fail "missing $f"
done
# The command finds its companions through the link's target, so the link must stay relative.
[[ $(readlink "$prefix/bin/quillmar") == ../lib/quillmar/quillmar ]] ||
    fail "bin/quillmar links to $(readlink "$prefix/bin/quillmar")"

desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[[ -x $prefix/bin/${exec_line%% *} ]] || fail "Exec=$exec_line is not an installed command"
[[ $(sed -n 's/^Icon=//p' "$desktop") == "$app_id" ]] || fail "the desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the AppStream file launches no $app_id.desktop"
grep -q '@' "$metainfo" && fail "the AppStream file has unconfigured fields"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
    echo "skip desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
else
    echo "skip appstreamcli is not installed"
fi

# The installed folder is writable here (root), yet the data goes to the user's folder.
printf '<a href="x.htm">x</a>\n' >"$work/page.htm"
XDG_DATA_HOME=$work/data "$prefix/bin/quillmar" --dump "$work/page.htm" >"$work/dump.txt" ||
    fail "the installed quillmar --dump failed"
grep -q 'x.htm' "$work/dump.txt" || fail "the dump lacks the page"
[[ -d $work/data/quillmar/download ]] || fail "no download folder in the user's data folder"
[[ -e $prefix/lib/quillmar/download ]] && fail "a download folder was made beside the program"
# A request loads the HTTP module from beside the command: a refused connection, not a load error.
XDG_DATA_HOME=$work/data "$prefix/bin/quillmar" --dump --timeout 5 http://127.0.0.1:9/ \
    >"$work/http.txt" 2>&1 || true
grep -q 'quillmar-http' "$work/http.txt" && fail "the HTTP module did not load: $(cat "$work/http.txt")"

[[ $failed == 0 ]] && echo "ok   installed under a scratch prefix"
exit $failed
