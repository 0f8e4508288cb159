#!/bin/sh
# Installs the Debian packages that building, testing and benchmarking Tavro
# need, where any is missing. Runs as root (or through sudo when it is there),
# without input.
set -e
packages="cmake ninja-build g++ pkg-config libgtk-3-dev googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 wine64
  xvfb xauth xdotool imagemagick tmux libedit-dev bindfs perl time bc x11-utils
  dpkg-dev file lintian desktop-file-utils appstream unzip man-db
  util-linux qemu-user-static wine32:i386"
run=""
[ "$(id -u)" -ne 0 ] && run=sudo
# The shipped 32-bit program runs under Debian's 32-bit Wine loader.
dpkg --print-foreign-architectures | grep -qx i386 || $run dpkg --add-architecture i386
missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
$run apt-get update -qq
DEBIAN_FRONTEND=noninteractive $run apt-get install -y -qq --no-install-recommends $missing </dev/null
