#!/bin/sh
# Builds all three targets and runs every test tier:
#   1. the native suite on Linux,
#   2. the same suite cross-built for 64-bit Windows, under wine64 in a fresh prefix,
#   3. the check that the shipped 32-bit program is a GUI executable.
cd "$(dirname "$0")/.." || exit 1
sh tools/install-deps.sh || exit 1
for preset in linux windows-x64 windows-x86; do
  cmake --preset "$preset" >/dev/null || exit 1
  cmake --build --preset "$preset" || exit 1
done

failed=0
echo "== Tier 1: Linux"
ctest --preset linux || failed=1
echo "== Tier 2: Windows x64 under wine64"
rm -rf build/windows-x64/wineprefix
ctest --preset windows-x64 || failed=1
WINEPREFIX="$PWD/build/windows-x64/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null
echo "== Tier 3: Windows x86 program"
ctest --preset windows-x86 || failed=1

[ "$failed" -eq 0 ] && echo "All test tiers passed." || echo "Some test tier failed."
exit "$failed"
