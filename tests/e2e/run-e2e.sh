#!/bin/bash
# End-to-end runs of the real program, as a person runs it: the settings are
# seeded with a prepared source and target, every dialog is answered with
# keystrokes only (xdotool), and the target folder is compared afterwards with
# the names computed here from the files' own times.
#
#   run-e2e.sh linux   SCENARIO PROGRAM SCREENSHOT_FOLDER
#   run-e2e.sh windows SCENARIO PROGRAM SCREENSHOT_FOLDER WINEPREFIX
#
# SCENARIO: copy (Yes at the clear prompt), cancel (Escape at the clear
# prompt) or stop ("Really Stop?!" answered Yes while the copy runs).
set -u
arguments=("$@")
platform=$1 scenario=$2 program=$3 shots=$4
here=$(cd "$(dirname "$0")" && pwd)
export TZ=XST-2 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
mkdir -p "$shots"

fail() { echo "FAILED: $*"; exit 1; }
shot() { import -window root "$shots/e2e-$platform-$scenario-$1.png" 2>/dev/null; }

# Waits for a window whose name matches, other than the one given; prints its id.
wait_window() {
  local pattern=$1 not=${2:-} id
  for _ in $(seq 300); do
    for id in $(xdotool search --name "$pattern" 2>/dev/null); do
      [ "$id" != "$not" ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
press() { xdotool windowfocus --sync "$1" 2>/dev/null; sleep 0.3; xdotool key --clearmodifiers "${@:2}"; }
wait_exit() {
  for _ in $(seq 600); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

. "$here/expected-names.sh"

work=$(mktemp -d /tmp/tavro-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
if [ "$platform" = windows ]; then
  prefix=$5
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wine=/usr/lib/wine/wine64
  # The old-style browser preselects folders on drive C: only.
  root=$prefix/drive_c/tavro-e2e-$scenario
  rm -rf "$root"
  source=$root/source target=$root/target
  winsource="C:\\tavro-e2e-$scenario\\source\\" wintarget="C:\\tavro-e2e-$scenario\\target\\"
else
  source=$work/source target=$work/target
fi
mkdir -p "$source" "$target"

count=8
for i in $(seq $count); do
  echo "photo $i" >"$source/img_$i.jpg"
  # Distinct minutes, in an order unlike that of the names.
  touch -d "2003-0$(( (i * 5) % 9 + 1 ))-1$i 0$i:2$i:00 UTC" "$source/img_$i.jpg"
done
echo "old" >"$target/left from before.txt"
expected=$(expected_names "$source")

# Seed the remembered folders and start the program.
if [ "$platform" = windows ]; then
  "$wine" reg add 'HKCU\Tavro' /v SourcePath /t REG_SZ /d "$winsource" /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Tavro' /v TargetPath /t REG_SZ /d "$wintarget" /f >/dev/null 2>&1
  browser='^Browse for Folder$'
else
  export XDG_CONFIG_HOME=$work/config
  mkdir -p "$XDG_CONFIG_HOME/Tavro"
  printf '[Tavro]\nSourcePath=%s/\nTargetPath=%s/\n' "$source" "$target" >"$XDG_CONFIG_HOME/Tavro/settings.ini"
  browser='^Auswahl Quell Verzeichnis $'
fi
if [ "$scenario" = stop ]; then
  cc -shared -fPIC -O2 -o "$work/slow_disk.so" "$here/slow_disk.c" -ldl || fail "cannot build the slow disk"
  export LD_PRELOAD=$work/slow_disk.so TAVRO_SLOW_FOLDER=$target TAVRO_SLOW_MS=600
fi
# The program's output goes to a log of its own: what it starts (the file
# browser at the end) must not hold the test runner's output open.
if [ "$platform" = windows ]; then
  "$wine" "$program" >"$work/program.log" 2>&1 </dev/null &
else
  "$program" >"$work/program.log" 2>&1 </dev/null &
fi
pid=$!
unset LD_PRELOAD

# The browser fills its tree and selects the remembered folder as it opens;
# a person looks before pressing Enter, and so does this script.
settle=1
[ "$platform" = windows ] && settle=5
first=$(wait_window "$browser") || fail "the source browser did not open"
sleep $settle && shot 1-source-browser
press "$first" Return
[ "$platform" = linux ] && browser='^Auswahl Ziel Verzeichnis $'
second=$(wait_window "$browser" "$first") || fail "the target browser did not open"
sleep $settle && shot 2-target-browser
press "$second" Return
prompt=$(wait_window '^\?!$') || fail "the clear prompt did not show"
shot 3-clear-prompt

# Wine's old-style browser sometimes opens, in a new session, without the
# remembered folder selected; then the run chose another source than the one
# prepared, which says nothing about the program. Such a run is made again.
check_source_chosen() {
  [ "$platform" = windows ] || return 0
  local chosen
  chosen=$("$wine" reg query 'HKCU\Tavro' /v SourcePath 2>/dev/null | tr -d '\r' | awk '/SourcePath/ {print $3}')
  [ "$chosen" = "$winsource" ] && return 0
  local tries=${TAVRO_E2E_TRIES:-0}
  [ "$tries" -lt 2 ] || fail "the source browser opened three times without the remembered folder"
  echo "the source browser opened without the remembered folder ($chosen): once more"
  pkill -f "explorer.exe C:.tavro-e2e-$scenario" 2>/dev/null
  rm -rf "$root" "$work"
  TAVRO_E2E_TRIES=$((tries + 1)) exec bash "$0" "${arguments[@]}"
}

case $scenario in
  copy)
    press "$prompt" Return  # Yes is the default
    wait_exit "$pid" || { pgrep -af "wine|tavro|explorer"; fail "the program did not end"; }
    check_source_chosen
    actual=$(ls "$target")
    [ "$actual" = "$expected" ] || fail "the target holds
$actual
instead of
$expected"
    for name in $expected; do
      cmp -s "$target/$name" "$source/${name:23}" || fail "$name differs from its source"
    done
    ;;
  cancel)
    press "$prompt" Escape
    wait_exit "$pid" || { pgrep -af "wine|tavro|explorer"; fail "the program did not end"; }
    check_source_chosen
    [ "$(ls "$target")" = "left from before.txt" ] || fail "the target changed: $(ls "$target")"
    ;;
  stop)
    press "$prompt" Return
    progress=$(wait_window "^Copy File No: 2 of $count\$") || fail "the copy did not show its progress (it holds: $(ls "$target"))"
    shot 4-progress
    press "$progress" Escape
    question=$(wait_window '^\?!$' "$prompt") || fail "the stop question did not show"
    shot 5-stop-question
    # No is the default: the answer Yes is chosen by its own key.
    if [ "$platform" = windows ]; then press "$question" y; else press "$question" shift+Tab Return; fi
    wait_exit "$pid" || fail "the program did not end after the stop"
    actual=$(ls "$target")
    copied=$(echo "$actual" | grep -c .)
    [ "$copied" -ge 1 ] && [ "$copied" -lt "$count" ] || fail "$copied of $count files were copied"
    [ "$actual" = "$(echo "$expected" | head -n "$copied")" ] || fail "the copies are not the first in date order:
$actual"
    ;;
esac
if [ "$platform" = windows ]; then
  remembered=$("$wine" reg query 'HKCU\Tavro' /v TargetPath 2>/dev/null | tr -d '\r' | awk '/TargetPath/ {print $3}')
  [ "$remembered" = "$wintarget" ] || fail "the target was not remembered: $remembered"
  # The file browser that the program opened at the end, once it is there.
  [ "$scenario" != cancel ] && for _ in $(seq 50); do pgrep -f "explorer.exe C:.tavro-e2e-$scenario" >/dev/null && break; sleep 0.1; done
  pkill -f "explorer.exe C:.tavro-e2e-$scenario" 2>/dev/null
  rm -rf "$root"
else
  grep -qx "TargetPath=$target/" "$XDG_CONFIG_HOME/Tavro/settings.ini" || fail "the target was not remembered"
fi
echo "PASSED: $platform $scenario"
