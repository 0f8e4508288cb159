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

# The one place that says the version.
version=$(sed -n 's/^project(Tavro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt"
deb=$top/build/linux/tavro_${version}_amd64.deb
zip=$top/build/windows-x86/tavro-${version}-win32.zip

for preset in linux windows-x86; do
  rm -f build/"$preset"/tavro_*.deb build/"$preset"/tavro-*.zip
  cmake --preset "$preset" >/dev/null || fail "configure $preset"
  cmake --build --preset "$preset" || fail "build $preset"
  cpack --preset "$preset" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack $preset"; }
done
[ -f "$deb" ] || fail "no $deb; made: $(ls build/linux/*.deb 2>/dev/null)"
[ -f "$zip" ] || fail "no $zip; made: $(ls build/windows-x86/*.zip 2>/dev/null)"
note "made $(basename "$deb") and $(basename "$zip")"

# The Debian package: its fields, its files, and what the linters say.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "package version $(field Version)"
[ "$(field Section)" = utils ] || fail "section $(field Section)"
field Maintainer | grep -q '<.*@.*>' || fail "maintainer $(field Maintainer)"
field Depends | grep -q 'libgtk-3-0' || fail "dependencies not taken from the program: $(field Depends)"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||; s|^$|/|' >"$work/paths"
cat >"$work/expected" <<EOF
/usr/bin/tavro
/usr/share/applications/tavro.desktop
/usr/share/doc/tavro/changelog.gz
/usr/share/doc/tavro/copyright
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

tree=$work/tree
mkdir "$tree" && dpkg-deb -x "$deb" "$tree" || fail "cannot unpack the package"
desktop=$tree/usr/share/applications/tavro.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=tavro' "$desktop" && [ -x "$tree/usr/bin/tavro" ] || fail "the menu entry starts no installed program"
grep -qx 'Icon=tavro' "$desktop" && [ -f "$tree/usr/share/icons/hicolor/scalable/apps/tavro.svg" ] ||
  fail "the menu entry's icon is not installed"
metainfo=$tree/usr/share/metainfo/org.tavro.Tavro.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
# The histories must name the version being packed.
zcat "$tree/usr/share/doc/tavro/changelog.gz" | head -n 1 | grep -qF "tavro ($version)" ||
  fail "the changelog's newest entry is not $version"
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

# The Windows zip: the program and its text, nothing else.
unzip -Z1 "$zip" | sort >"$work/zipped"
printf 'README.txt\ntavro.exe\n' | diff - "$work/zipped" || fail "the zip holds other files"
mkdir "$work/zip" && unzip -q "$zip" -d "$work/zip" || fail "cannot unpack the zip"
text=$work/zip/README.txt
head -n 1 "$text" | grep -qF "Tavro $version" || fail "the text names another version"
for words in 'HKEY_CURRENT_USER\Tavro' SourcePath TargetPath 'Delete tavro.exe'; do
  grep -qF "$words" "$text" || fail "the text does not say: $words"
done
[ "$(grep -c "$(printf '\r')\$" "$text")" -eq "$(wc -l <"$text")" ] || fail "the text has lines without CR LF"
cmake -DPROGRAM="$work/zip/tavro.exe" -DOBJDUMP=i686-w64-mingw32-objdump -DEXPECT_MAGIC=010b \
  -P tests/check_executable.cmake || fail "the zipped program"
note "zip holds tavro.exe and README.txt"

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
