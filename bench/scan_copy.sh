#!/bin/bash
# Times the program's scan and copy against the system's own tools on two
# folder shapes: many small files, and a few large ones.
#   bench/scan_copy.sh [WORK_FOLDER] [SMALL_FILES] [LARGE_FILES] [LARGE_MB]
# The program: build/linux/bench/tavro_scan_copy (cmake --build --preset linux).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
program=$top/build/linux/bench/tavro_scan_copy
work=${1:-/tmp/tavro-bench}
small=${2:-100000}
large=${3:-4}
large_mb=${4:-256}
[ -x "$program" ] || { echo "build it first: cmake --build --preset linux"; exit 1; }
mkdir -p "$work"

seconds() { local start=$(date +%s.%N); "$@" >/dev/null; echo "$(date +%s.%N) - $start" | bc; }
ratio() { echo "scale=2; $1 / $2" | bc; }
best_of_3() { local best=999999 t; for _ in 1 2 3; do t=$("$@"); (( $(echo "$t < $best" | bc) )) && best=$t; done; echo "$best"; }

make_small() {
  [ -d "$work/small" ] && [ "$(ls "$work/small" | wc -l)" -eq "$small" ] && return
  rm -rf "$work/small"; mkdir -p "$work/small"
  ( cd "$work/small" && head -c 1024 /dev/urandom >seed && for i in $(seq 2 "$small"); do cp seed "f$i.jpg"; done && mv seed f1.jpg )
}
make_large() {
  [ -d "$work/large" ] && [ "$(ls "$work/large" | wc -l)" -eq "$large" ] && return
  rm -rf "$work/large"; mkdir -p "$work/large"
  for i in $(seq "$large"); do head -c "$((large_mb << 20))" /dev/urandom >"$work/large/big$i.bin"; done
}

scan_program() { "$program" "$1/" /nonexistent/ scan; }
scan_find() { find "$1" -maxdepth 1 -type f -printf '%T@ %A@ %B@ %f\n'; }
copy_program() { rm -rf "$work/out"; mkdir "$work/out"; sync; local t=$(seconds "$program" "$1/" "$work/out/"); echo "$t"; }
copy_cp() { rm -rf "$work/out"; mkdir "$work/out"; sync; local t=$(seconds cp --preserve=mode,timestamps -r "$1/." "$work/out"); echo "$t"; }

make_small
make_large
printf '%-28s %10s %10s %7s\n' "measure" "program" "tool" "ratio"
for shape in small large; do
  p=$(best_of_3 seconds scan_program "$work/$shape"); t=$(best_of_3 seconds scan_find "$work/$shape")
  printf '%-28s %10.3f %10.3f %7s\n' "scan $shape vs find" "$p" "$t" "$(ratio "$p" "$t")"
  p=$(best_of_3 copy_program "$work/$shape"); t=$(best_of_3 copy_cp "$work/$shape")
  printf '%-28s %10.3f %10.3f %7s\n' "copy $shape vs cp" "$p" "$t" "$(ratio "$p" "$t")"
done
"$program" "$work/small/" /nonexistent/ scan | grep bytes_per_file
rm -rf "$work/out"
