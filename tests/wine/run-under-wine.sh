#!/bin/sh
# Runs a cross-built Windows test program under wine64 in the build folder's
# own prefix: run-under-wine.sh PREFIX PROGRAM [ARGUMENTS...]
# The prefix is made on first use (one per test run, not per test).
set -e
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver -w
    fi
  ) 9>"$prefix.lock"
fi
# A server that outlives each program by a little spares every test its start.
/usr/lib/wine/wineserver -p5 2>/dev/null || true
exec "$wine" "$@"
