#!/bin/sh
# Installs the Debian packages Tavro needs, where any is missing:
#   install-deps.sh run   what building, running and packing the Linux program
#                         needs, no more (tools/run.sh);
#   install-deps.sh       that, and what the tests, the Windows builds and their
#                         runs under Wine, the package checks and the
#                         benchmarks need (tools/test-all.sh, CI).
# Runs as root (or through sudo when it is there), without input.
set -e
# dpkg-buildflags (dpkg-dev) gives the program's build flags; cpack reads the
# program's libraries with file and dpkg-shlibdeps.
program_packages="cmake ninja-build g++ pkg-config libgtk-3-dev libedit-dev dpkg-dev file"
test_packages="googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 wine64
  xvfb xauth xdotool imagemagick librsvg2-bin tmux bindfs perl time bc x11-utils
  lintian desktop-file-utils appstream unzip man-db
  util-linux qemu-user-static wine32:i386"
case "${1:-all}" in
  run) packages=$program_packages ;;
  all) packages="$program_packages $test_packages" ;;
  *) echo "usage: $0 [run]" >&2; exit 2 ;;
esac
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
# The shipped 32-bit program runs under Debian's 32-bit Wine loader.
if [ "${1:-all}" = all ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
fi
missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing </dev/null
