#!/bin/bash
# End-to-end runs of the real program, as a person runs it: the settings are
# seeded with a prepared source and target, every dialog is answered with
# keystrokes only (xdotool), and the target folder is compared afterwards with
# the names computed here from the files' own times.
#
#   run-e2e.sh linux       SCENARIO PROGRAM SCREENSHOT_FOLDER
#   run-e2e.sh windows     SCENARIO PROGRAM SCREENSHOT_FOLDER WINEPREFIX
#   run-e2e.sh windows-x86 SCENARIO PROGRAM SCREENSHOT_FOLDER WINEPREFIX
#
# SCENARIO: copy (Yes at the clear prompt), cancel (Escape at the clear
# prompt) or stop ("Really Stop?!" answered Yes while the copy runs); on
# Linux also no-browser (no file browser to open the target: its path is
# shown) and display-lost (the display's server ends under the program).
# windows runs the 64-bit build under wine64; windows-x86 runs the shipped
# 32-bit program under Debian's 32-bit Wine loader, whose i386 code runs in
# qemu-i386-static (see run_i386_here below).
set -u
platform=$1 scenario=$2 program=$3 shots=$4
here=$(cd "$(dirname "$0")" && pwd)
export TZ=XST-2 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1

fail() { echo "FAILED: $*"; exit 1; }

# This machine's kernel runs no 32-bit code. Wine starts further 32-bit
# processes by itself, so every i386 ELF file has to go to qemu: through a
# binfmt_misc of this run's own, in a user namespace (which gets one of its
# own), never the machine's, where it would catch every other 32-bit start.
run_i386_here() {
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
  echo ':tavro-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FP' \
    >/proc/sys/fs/binfmt_misc/register
}
if [ "$platform" = windows-x86 ] && [ -z "${TAVRO_I386_NAMESPACE:-}" ]; then
  exec unshare --user --map-root-user --mount --fork env TAVRO_I386_NAMESPACE=1 bash "$0" "$@"
fi
if [ "$platform" = windows-x86 ]; then
  run_i386_here || fail "cannot send 32-bit programs to qemu in this namespace"
fi
mkdir -p "$shots"

shot() { import -window root "$shots/e2e-$platform-$scenario-$1.png" 2>/dev/null; }

# Each 32-bit process start costs about a minute of emulation: the waits for
# its windows and its end are longer there.
patience=1
[ "$platform" = windows-x86 ] && patience=10
# Waits for a window whose name matches, other than the one given; prints its id.
wait_window() {
  local pattern=$1 not=${2:-} id
  for _ in $(seq $((300 * patience))); do
    for id in $(xdotool search --name "$pattern" 2>/dev/null); do
      [ "$id" != "$not" ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
press() { xdotool windowfocus --sync "$1" 2>/dev/null; sleep 0.3; xdotool key --clearmodifiers "${@:2}"; }
wait_exit() {
  for _ in $(seq $((600 * patience))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

. "$here/expected-names.sh"

work=$(mktemp -d /tmp/tavro-e2e-XXXXXX)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
if [ "$platform" = linux ]; then
  source=$work/source target=$work/target
else
  prefix=$5
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Everything around the program runs 64-bit, which is quick; only the
  # program itself runs on the loader of its build.
  wine=/usr/lib/wine/wine64
  loader=$wine
  [ "$platform" = windows-x86 ] && loader=/usr/lib/wine/wine
  # The old-style browser preselects folders on drive C: only.
  root=$prefix/drive_c/tavro-e2e-$scenario
  rm -rf "$root"
  source=$root/source target=$root/target
  winsource="C:\\tavro-e2e-$scenario\\source\\" wintarget="C:\\tavro-e2e-$scenario\\target\\"
fi
mkdir -p "$source" "$target"

for i in $(seq 8); do
  echo "photo $i" >"$source/img_$i.jpg"
  # Distinct minutes, in an order unlike that of the names.
  touch -d "2003-0$(( (i * 5) % 9 + 1 ))-1$i 0$i:2$i:00 UTC" "$source/img_$i.jpg"
done
# Two with one stamp: their order is the exchange sort's over the folder as
# listed, which under Wine is not the order of their bytes.
for name in b.jpg B2.jpg; do
  echo "$name" >"$source/$name"
  touch -d "2003-01-01 10:00:00 UTC" "$source/$name"
done
count=10
echo "old" >"$target/left from before.txt"
order=""
[ "$platform" != linux ] && order=wine
expected=$(expected_names "$source" $order)

# Seed the remembered folders and start the program.
if [ "$platform" = linux ]; then
  export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
  mkdir -p "$XDG_CONFIG_HOME/Tavro" "$XDG_DATA_HOME/applications"
  printf '[Tavro]\nSourcePath=%s/\nTargetPath=%s/\n' "$source" "$target" >"$XDG_CONFIG_HOME/Tavro/settings.ini"
  seeded=$(cat "$XDG_CONFIG_HOME/Tavro/settings.ini")
  browser='^Auswahl Quell Verzeichnis $'
  if [ "$scenario" = no-browser ]; then
    # The desktop's applications out of sight, what GTK needs still there.
    mkdir "$work/share" && for shared in glib-2.0 icons themes mime; do ln -s "/usr/share/$shared" "$work/share/"; done
    export XDG_DATA_DIRS=$work/share
  else
    # A file browser that only notes what it was asked to open.
    printf '#!/bin/sh\necho "$1" >>"%s/opened"\n' "$work" >"$work/browser" && chmod +x "$work/browser"
    printf '[Desktop Entry]\nType=Application\nName=Notes\nExec=%s %%f\nMimeType=inode/directory;\n' "$work/browser" \
      >"$XDG_DATA_HOME/applications/tavro-test-browser.desktop"
    printf '[Default Applications]\ninode/directory=tavro-test-browser.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
  fi
  if [ "$scenario" = display-lost ]; then
    # A display of this run's own, which can go away.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    server=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$work/display")
  fi
else
  # Wine's old-style browser finds the remembered folder by an ID that holds
  # the folder's last access time. The first listing of a folder made or
  # changed since it was last listed moves that time (relatime), and the
  # browser then misses the folder. Listed once now, the folders are found.
  ls "$root" "$source" "$target" >/dev/null
  # Seeded as REG_EXPAND_SZ, which the program reads like REG_SZ: the REG_SZ
  # values found afterwards are the program's own. One regedit import makes
  # the prefix where there is none yet.
  reg_text() { printf '%s\0' "$1" | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'; }
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Tavro]\r\n"SourcePath"=hex(2):%s\r\n"TargetPath"=hex(2):%s\r\n' \
    "$(reg_text "$winsource")" "$(reg_text "$wintarget")" >"$work/seed.reg"
  "$here/../wine/run-under-wine.sh" "$prefix" regedit /S "Z:${work//\//\\}\\seed.reg" >/dev/null 2>&1 ||
    fail "cannot seed the registry"
  echo "the prefix and the settings were ready after $SECONDS s"
  browser='^Browse for Folder$'
fi
if [ "$scenario" = stop ]; then
  cc -shared -fPIC -O2 -o "$work/slow_disk.so" "$here/slow_disk.c" -ldl || fail "cannot build the slow disk"
  export LD_PRELOAD=$work/slow_disk.so TAVRO_SLOW_FOLDER=$target TAVRO_SLOW_MS=600
fi
# The program's output goes to a log of its own: what it starts (the file
# browser at the end) must not hold the test runner's output open.
started=$SECONDS
if [ "$platform" = linux ]; then
  "$program" >"$work/program.log" 2>&1 </dev/null &
else
  "$loader" "$program" >"$work/program.log" 2>&1 </dev/null &
fi
pid=$!
unset LD_PRELOAD

# The browser fills its tree and selects the remembered folder as it opens;
# a person looks before pressing Enter, and so does this script.
settle=1
[ "$platform" = windows ] && settle=5
[ "$platform" = windows-x86 ] && settle=20
first=$(wait_window "$browser") || fail "the source browser did not open"
echo "the source browser opened after $((SECONDS - started)) s"
if [ "$scenario" = display-lost ]; then
  kill "$server" && wait "$server"
  server=""
  wait_exit "$pid" || fail "the program did not end without its display"
  wait "$pid"
  code=$?
  [ "$code" -eq 8 ] || fail "the program ended with $code: $(cat "$work/program.log")"
  grep -q "the connection to the display was lost" "$work/program.log" || fail "no message: $(cat "$work/program.log")"
  [ "$(cat "$XDG_CONFIG_HOME/Tavro/settings.ini")" = "$seeded" ] || fail "the settings changed"
  echo "PASSED: $platform $scenario"
  exit 0
fi
sleep $settle && shot 1-source-browser
press "$first" Return
[ "$platform" = linux ] && browser='^Auswahl Ziel Verzeichnis $'
second=$(wait_window "$browser" "$first") || fail "the target browser did not open"
sleep $settle && shot 2-target-browser
press "$second" Return
prompt=$(wait_window '^\?!$') || fail "the clear prompt did not show"
shot 3-clear-prompt

case $scenario in
  copy | no-browser)
    press "$prompt" Return  # Yes is the default
    if [ "$platform" = windows-x86 ]; then
      progress=$(wait_window "^Copy File No: [0-9]* of $count\$") || fail "the copy did not show its progress"
      shot 4-progress
      xdotool search --name "^Copy File No: [0-9]* of $count\$" >/dev/null ||
        fail "the progress dialog closed before its screenshot was taken"
    fi
    if [ "$scenario" = no-browser ]; then
      # Nothing opens the target: a box shows its path, and so does the log.
      shown=$(wait_window '^Target Folder$') || fail "no box showed the target: $(cat "$work/program.log")"
      shot 5-no-browser
      grep -qF "no file browser opened the target folder $target/" "$work/program.log" || fail "the log does not name it"
      press "$shown" Return
    fi
    wait_exit "$pid" || { pgrep -af "wine|tavro|explorer"; fail "the program did not end"; }
    actual=$(ls "$target")
    [ "$actual" = "$expected" ] || fail "the target holds
$actual
instead of
$expected"
    for name in $expected; do
      cmp -s "$target/$name" "$source/${name:23}" || fail "$name differs from its source"
      [ "$(stat -c %Y "$target/$name")" = "$(stat -c %Y "$source/${name:23}")" ] ||
        fail "$name has not kept the modification time of its source"
    done
    ;;
  cancel)
    press "$prompt" Escape
    wait_exit "$pid" || { pgrep -af "wine|tavro|explorer"; fail "the program did not end"; }
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
    if [ "$platform" = linux ]; then press "$question" shift+Tab Return; else press "$question" y; fi
    wait_exit "$pid" || fail "the program did not end after the stop"
    actual=$(ls "$target")
    copied=$(echo "$actual" | grep -c .)
    [ "$copied" -ge 1 ] && [ "$copied" -lt "$count" ] || fail "$copied of $count files were copied"
    [ "$actual" = "$(echo "$expected" | head -n "$copied")" ] || fail "the copies are not the first in date order:
$actual"
    ;;
esac
echo "the program ended after $((SECONDS - started)) s"
if [ "$platform" = linux ] && [ "$scenario" != no-browser ]; then
  # The target opens at the end of a copy, also one that was stopped.
  expected_opened=$target
  [ "$scenario" = cancel ] && expected_opened=""
  for _ in $(seq 50); do [ -s "$work/opened" ] || [ -z "$expected_opened" ] && break; sleep 0.1; done
  opened=$(cat "$work/opened" 2>/dev/null)
  [ "${opened%/}" = "$expected_opened" ] || fail "the file browser was asked to open: $opened"
fi
if [ "$platform" = linux ]; then
  grep -qx "SourcePath=$source/" "$XDG_CONFIG_HOME/Tavro/settings.ini" || fail "the source was not remembered"
  grep -qx "TargetPath=$target/" "$XDG_CONFIG_HOME/Tavro/settings.ini" || fail "the target was not remembered"
else
  remembered=$("$wine" reg query 'HKCU\Tavro' 2>/dev/null | tr -d '\r' | awk '/Path/ {print $1, $2, $3}')
  [ "$remembered" = "SourcePath REG_SZ $winsource
TargetPath REG_SZ $wintarget" ] || fail "the folders were not remembered as chosen: $remembered"
  # The file browser that the program opened at the end, once it is there.
  [ "$scenario" != cancel ] && for _ in $(seq $((50 * patience))); do
    pgrep -f "explorer.exe C:.tavro-e2e-$scenario" >/dev/null && break
    sleep 0.1
  done
  pkill -f "explorer.exe C:.tavro-e2e-$scenario" 2>/dev/null
  rm -rf "$root"
  # The 32-bit run's prefix serves this one run: nothing of it is left running.
  [ "$platform" = windows-x86 ] && /usr/lib/wine/wineserver -k
fi
echo "PASSED: $platform $scenario"
