#!/bin/sh
# Builds every target and runs every test tier:
#   1. the native suite on Linux, then again under AddressSanitizer and ThreadSanitizer,
#   2. the same suite cross-built for 64-bit Windows, under wine64 in a fresh prefix,
#   3. the shipped 32-bit program: checked to be a GUI executable, then run once
#      from start to end under 32-bit Wine and qemu, in a fresh prefix.
#   4. the packages: built, checked, and the Debian package installed, run and
#      removed again (tools/package-check.sh).
# The window tests need a display; each tier gets its own Xvfb.
cd "$(dirname "$0")/.." || exit 1
sh tools/install-deps.sh || exit 1
presets="linux linux-asan linux-tsan windows-x64 windows-x86"
for preset in $presets; do
  cmake --preset "$preset" >/dev/null || exit 1
  cmake --build --preset "$preset" || exit 1
done

display() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
failed=0
echo "== Tier 1: Linux"
display ctest --preset linux || failed=1
echo "== Tier 1: Linux under AddressSanitizer"
display ctest --preset linux-asan || failed=1
echo "== Tier 1: Linux under ThreadSanitizer"
display ctest --preset linux-tsan || failed=1
echo "== Tier 2: Windows x64 under wine64"
rm -rf build/windows-x64/wineprefix
display ctest --preset windows-x64 || failed=1
WINEPREFIX="$PWD/build/windows-x64/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null
echo "== Tier 3: Windows x86 program"
rm -rf build/windows-x86/wineprefix
display ctest --preset windows-x86 || failed=1
WINEPREFIX="$PWD/build/windows-x86/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null
echo "== Tier 4: packages"
sh tools/package-check.sh </dev/null || failed=1

if [ "$failed" -eq 0 ]; then echo "All test tiers passed."; else echo "Some test tier failed."; fi
exit "$failed"
