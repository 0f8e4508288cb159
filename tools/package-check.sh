#!/bin/sh
# The packaging tier: builds the Debian package and the Windows zip and checks
# both, then installs the package on this machine, runs the installed program
# once in the terminal and removes the package again, leaving nothing behind.
# Runs as root (or through sudo), also with no standard input.
set -u
cd "$(dirname "$0")/.." || exit 1
top=$PWD
run=""
[ "$(id -u)" -ne 0 ] && run=sudo
# apt-get, its output shown only when it fails.
apt() {
  $run env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@" </dev/null >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; return 1; }
}
# Nothing when dpkg holds no tavro, else its state there.
state() { dpkg-query -W -f='${db:Status-Status}' tavro 2>/dev/null | grep -v '^not-installed$'; }
# What dpkg holds, one package a line.
packages() { dpkg-query -W -f='${binary:Package} ${Version} ${db:Status-Abbrev}\n' | sort; }
started=$(date +%s)

work=$(mktemp -d /tmp/tavro-package-XXXXXX)
installed=no
cleanup() {
  # A failed check must not leave the package on the machine.
  [ "$installed" = yes ] && apt purge tavro >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
fail() { echo "FAILED: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# The one place that says the version; the changelog adds the package's revision.
version=$(sed -n 's/^project(Tavro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt"
debversion=$(sed -n '1s/^tavro (\([^)]*\)).*/\1/p' res/linux/changelog)
echo "$debversion" | grep -qx "$version-[0-9][0-9]*" || fail "the changelog's version $debversion is not $version-REVISION"
deb=$top/build/linux-package/tavro_${debversion}_amd64.deb
zip=$top/build/windows-x86/tavro-${version}-win32.zip

for preset in linux-package windows-x86; do
  rm -f build/"$preset"/tavro_*.deb build/"$preset"/tavro-*.zip
  cmake --preset "$preset" >/dev/null || fail "configure $preset"
  cmake --build --preset "$preset" || fail "build $preset"
  cpack --preset "$preset" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack $preset"; }
done
[ -f "$deb" ] || fail "no $deb; made: $(ls build/linux-package/*.deb 2>/dev/null)"
[ -f "$zip" ] || fail "no $zip; made: $(ls build/windows-x86/*.zip 2>/dev/null)"
note "made $(basename "$deb") and $(basename "$zip")"

# The Debian package: its fields, its files, and what the linters say.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$debversion" ] || fail "package version $(field Version)"
[ "$(field Section)" = utils ] || fail "section $(field Section)"
field Maintainer | grep -q '<.*@.*>' || fail "maintainer $(field Maintainer)"
field Depends | grep -q 'libgtk-3-0' || fail "dependencies not taken from the program: $(field Depends)"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||; s|^$|/|' >"$work/paths"
cat >"$work/expected" <<EOF
/usr/bin/tavro
/usr/share/applications/org.tavro.Tavro.desktop
/usr/share/doc/tavro/changelog.Debian.gz
/usr/share/doc/tavro/copyright
/usr/share/icons/hicolor/16x16/apps/tavro.png
/usr/share/icons/hicolor/24x24/apps/tavro.png
/usr/share/icons/hicolor/32x32/apps/tavro.png
/usr/share/icons/hicolor/48x48/apps/tavro.png
/usr/share/icons/hicolor/scalable/apps/tavro.svg
/usr/share/man/man1/tavro.1.gz
/usr/share/metainfo/org.tavro.Tavro.metainfo.xml
EOF
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./|/|' | sort >"$work/files"
diff "$work/expected" "$work/files" >"$work/diff" || { cat "$work/diff"; fail "the package holds other files"; }

lintian --fail-on error --display-info "$deb" >"$work/lintian" 2>&1
linted=$?
grep -v 'running with root privileges' "$work/lintian"
[ "$linted" -eq 0 ] && ! grep -q '^E:' "$work/lintian" || fail "lintian found errors"
note "lintian: no errors"
# Built with Debian's hardening flags, bind-now and fortify among them.
! grep -q ' hardening-' "$work/lintian" || fail "lintian finds the program built without hardening"
note "lintian: no hardening tags"

tree=$work/tree
mkdir "$tree" && dpkg-deb -x "$deb" "$tree" || fail "cannot unpack the package"
desktop=$tree/usr/share/applications/org.tavro.Tavro.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'StartupNotify=true' "$desktop" || fail "the menu entry does not await the program's window"
grep -qx 'Exec=tavro' "$desktop" && [ -x "$tree/usr/bin/tavro" ] || fail "the menu entry starts no installed program"
grep -qx 'Icon=tavro' "$desktop" && [ -f "$tree/usr/share/icons/hicolor/scalable/apps/tavro.svg" ] ||
  fail "the menu entry's icon is not installed"
metainfo=$tree/usr/share/metainfo/org.tavro.Tavro.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
# The histories must name the version being packed.
zcat "$tree/usr/share/doc/tavro/changelog.Debian.gz" | head -n 1 | grep -qF "tavro ($debversion)" ||
  fail "the changelog's newest entry is not $debversion"
grep -m 1 '<release ' "$metainfo" | grep -qF "version=\"$version\"" || fail "the newest AppStream release is not $version"
zcat "$tree/usr/share/man/man1/tavro.1.gz" | grep -q "^\.TH TAVRO 1 .*\"Tavro $version\"" || fail "the manual page's version"
# The manual page as man shows it, from 40 to 120 columns: no word hyphenated,
# the window titles whole.
for width in $(seq 40 120); do
  LC_ALL=C.UTF-8 MANWIDTH=$width man -l "$tree/usr/share/man/man1/tavro.1.gz" 2>/dev/null >"$work/man.txt"
  [ "$(grep -o 'Verzeichnis' "$work/man.txt" | wc -l)" -eq 2 ] && ! grep -q '[[:alpha:]]‐$' "$work/man.txt" ||
    fail "the manual page at $width columns: $(grep -e 'Verz' -e '‐$' "$work/man.txt" | head -n 4)"
done
note "desktop entry, AppStream data and versions are right"

# Each bitmap of the icon has the size its folder names and is the SVG's
# rendering (tools/render-icons.sh makes them again).
for size in 16 24 32 48; do
  png=$tree/usr/share/icons/hicolor/${size}x$size/apps/tavro.png
  [ "$(identify -format '%m %wx%h' "$png")" = "PNG ${size}x$size" ] || fail "the $size-pixel icon is $(identify "$png")"
  rsvg-convert -w "$size" -h "$size" -o "$work/icon.png" res/linux/tavro.svg || fail "rsvg-convert"
  # RMSE, 0 to 1: the renderer of another release may shift an edge a little.
  difference=$(compare -metric RMSE "$png" "$work/icon.png" null: 2>&1 | sed -n 's/.*(\(.*\))$/\1/p')
  awk -v d="${difference:-1}" 'BEGIN { exit !(d < 0.02) }' ||
    fail "the $size-pixel icon is not the SVG's rendering (RMSE ${difference:-unknown}): run tools/render-icons.sh"
done
note "the icon in 16, 24, 32 and 48 pixels, as the SVG draws it"

# One licence everywhere: the machine-readable copyright file holds the text
# of LICENSE, the AppStream data and the README name it.
copyright=$tree/usr/share/doc/tavro/copyright
head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not machine-readable"
# The words of a text, one a line, without the copyright file's paragraph dots.
words() { tr -s ' \n' '\n\n' | grep -vx -e '' -e '\.'; }
# The text is the indented lines under the License line that starts its own paragraph.
awk '/^License: Expat$/ { body = 1; next } body && /^ / { print; next } { body = 0 }' "$copyright" |
  words >"$work/licence.deb"
sed -n '/^Permission/,$p' LICENSE | words | diff - "$work/licence.deb" >/dev/null ||
  fail "the copyright file's licence text is not that of LICENSE"
grep -q '^Copyright: [0-9, -]*the Tavro developers$' "$copyright" && grep -qx 'Copyright the Tavro developers' LICENSE ||
  fail "the copyright holders differ"
grep -qF '<project_license>MIT</project_license>' "$metainfo" || fail "the AppStream data names another licence"
grep -qw MIT README.md && grep -qF 'Copyright the Tavro developers' README.md || fail "the README does not name the licence"
note "the licence is MIT in the copyright file, LICENSE, the AppStream data and the README"

# The Windows zip: one folder with the program and its texts, nothing else.
folder=tavro-$version-win32
unzip -Z1 "$zip" | sort >"$work/zipped"
printf '%s\n' "$folder/LICENSE.txt" "$folder/README.txt" "$folder/tavro.exe" |
  diff - "$work/zipped" || fail "the zip holds other files than its folder $folder"
mkdir "$work/zip" && unzip -q "$zip" -d "$work/zip" || fail "cannot unpack the zip"
text=$work/zip/$folder/README.txt
head -n 1 "$text" | grep -qF "Tavro $version" || fail "the text names another version"
for words in 'HKEY_CURRENT_USER\Tavro' SourcePath TargetPath "Delete the folder $folder" 'Windows Vista' \
  SmartScreen '"Fehler"' '"... and N more"' '"Fehler No N"' 'LICENSE.txt'; do
  grep -qF "$words" "$text" || fail "the text does not say: $words"
done
for text in "$text" "$work/zip/$folder/LICENSE.txt"; do
  [ "$(grep -c "$(printf '\r')\$" "$text")" -eq "$(wc -l <"$text")" ] || fail "$(basename "$text") has lines without CR LF"
done
program=$work/zip/$folder/tavro.exe
cmake -DPROGRAM="$program" -DOBJDUMP=i686-w64-mingw32-objdump -DEXPECT_MAGIC=010b \
  -P tests/check_executable.cmake || fail "the zipped program"
# The text promises Windows Vista (6.0): the program's header must not ask for more.
subsystem=$(i686-w64-mingw32-objdump -p "$program" | awk '/^MajorSubsystemVersion/ { print $2 }')
[ -n "$subsystem" ] && [ "$subsystem" -le 6 ] || fail "the program asks for Windows ${subsystem:-?}.x or later"
note "zip holds $folder/ with tavro.exe, README.txt and LICENSE.txt"

# Installed on this machine, the program runs; removed, it leaves nothing.
[ -z "$(state)" ] || fail "tavro is on this machine already ($(state)); remove it first"
# The folders the package shares with others are there before and after.
while read -r path; do
  if [ -e "$path" ]; then
    [ -d "$path" ] || fail "$path is there already"
    echo "$path"
  fi
done <"$work/paths" >"$work/there"
packages >"$work/before"
installed=yes
apt install --no-install-recommends "$deb" || fail "apt-get install"
dpkg -L tavro | sed 's|^/\.$|/|' >"$work/listed" || fail "dpkg -L tavro"
grep -qx /usr/bin/tavro "$work/listed" || fail "/usr/bin/tavro is not listed"
[ "$(man -w tavro)" = /usr/share/man/man1/tavro.1.gz ] || fail "man does not find tavro"
# The command answers --help and --version without a display or a terminal.
bare() { env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/tavro "$@" </dev/null 2>&1; }
[ "$(bare --version)" = "tavro $version" ] || fail "tavro --version: $(bare --version)"
bare --help | grep -q '^Usage: tavro' || fail "tavro --help: $(bare --help)"
bash tests/e2e/terminal-e2e.sh copy /usr/bin/tavro | tee "$work/e2e"
grep -q "PASSED: terminal copy" "$work/e2e" || fail "the installed program"

# On a display without a window manager the installed program's first window
# carries the installed icon, which the program asks for by name.
mkdir "$work/home"
cat >"$work/icon.sh" <<'EOF'
env HOME="$1" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 /usr/bin/tavro </dev/null & program=$!
for _ in $(seq 300); do
  window=$(xdotool search --name '^Auswahl Quell Verzeichnis' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] && xprop -id "$window" _NET_WM_ICON | grep -o '^_NET_WM_ICON([A-Z]*) = \|Icon ([0-9]* x [0-9]*)'
kill "$program"
wait "$program"
EOF
xvfb-run -a -s "-screen 0 1280x1024x24" sh "$work/icon.sh" "$work/home" >"$work/icon" 2>&1
grep -q '^Icon (48 x 48)' "$work/icon" || { cat "$work/icon"; fail "the installed program's window shows no icon"; }
note "the window shows the icon in $(grep -c '^Icon' "$work/icon") sizes"

apt purge tavro || fail "apt-get purge"
installed=no
# Packages that came only with tavro go with it.
packages >"$work/after"
cut -d' ' -f1 "$work/before" >"$work/names"
cut -d' ' -f1 "$work/after" | comm -13 "$work/names" - >"$work/added"
if [ -s "$work/added" ]; then
  note "removing what came with tavro: $(cat "$work/added")"
  # shellcheck disable=SC2046 # one word a package
  apt purge $(cat "$work/added") || fail "apt-get purge of $(cat "$work/added")"
fi
packages | diff "$work/before" - || fail "the installed packages changed"
[ -z "$(state)" ] || fail "dpkg still holds tavro: $(state)"
[ ! -e /usr/bin/tavro ] || fail "/usr/bin/tavro is left"
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then
    grep -qxF "$path" "$work/there" || fail "left behind: $path"
  fi
done <"$work/listed"
note "installed, ran and removed; nothing left behind"

echo "PASSED: packaging tier in $(($(date +%s) - started)) s"
