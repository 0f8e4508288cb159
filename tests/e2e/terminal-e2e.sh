#!/bin/bash
# The Linux program without a display, in the terminal, driven in tmux as a
# person types: terminal-e2e.sh SCENARIO PROGRAM
#
# SCENARIO: copy, cancel-source, cancel-target, cancel-prompt, stop,
# missing-source, create-target, no-terminal.
set -u
scenario=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/expected-names.sh"
export TZ=XST-2
fail() { echo "FAILED: $*"; echo "--- screen:"; tmux capture-pane -p -t "$session" 2>/dev/null | sed '/^$/d'; exit 1; }

work=$(mktemp -d /tmp/tavro-terminal-XXXXXX)
session=tavro-$$
trap 'tmux kill-session -t "$session" 2>/dev/null; rm -rf "$work"' EXIT
source=$work/source target=$work/target config=$work/config
mkdir -p "$source" "$target" "$config/Tavro"
count=6
for i in $(seq $count); do
  echo "photo $i" >"$source/img_$i.jpg"
  touch -d "2004-0$(( (i * 5) % 9 + 1 ))-1$i 0$i:3$i:00 UTC" "$source/img_$i.jpg"
done
echo old >"$target/old.txt"
expected=$(expected_names "$source")
settings=$config/Tavro/settings.ini
printf '[Tavro]\nSourcePath=%s/\nTargetPath=%s/\n' "$source" "$target" >"$settings"
seeded=$(cat "$settings")

if [ "$scenario" = no-terminal ]; then
  env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/fresh" "$program" </dev/null >"$work/out" 2>"$work/err"
  code=$?
  [ "$code" -ne 0 ] || fail "the program ended with 0"
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q 'no display and no terminal' "$work/err" || fail "message: $(cat "$work/err")"
  [ ! -e "$work/fresh" ] || fail "it wrote settings"
  echo "PASSED: terminal $scenario"
  exit 0
fi

preload=""
if [ "$scenario" = stop ]; then
  cc -shared -fPIC -O2 -o "$work/slow_disk.so" "$here/slow_disk.c" -ldl || fail "cannot build the slow disk"
  preload="LD_PRELOAD=$work/slow_disk.so TAVRO_SLOW_FOLDER=$target TAVRO_SLOW_MS=700"
fi
tmux new-session -d -s "$session" -x 150 -y 40 \
  "env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME=$config $preload $program; echo EXIT=\$?; sleep 60"

screen() { tmux capture-pane -p -t "$session" -S -200; }
# Waits until the screen shows the text (a fixed string).
wait_for() {
  for _ in $(seq 150); do screen | grep -qF -- "$1" && return 0; sleep 0.1; done
  fail "the screen never showed: $1"
}
# Sends the keys, then waits until the text shows one time more than before.
keys_then_again() {
  local text=$1 before
  shift
  before=$(screen | grep -cF -- "$text")
  tmux send-keys -t "$session" "$@"
  for _ in $(seq 150); do [ "$(screen | grep -cF -- "$text")" -gt "$before" ] && return 0; sleep 0.1; done
  fail "the screen never showed again: $text"
}
keys() { tmux send-keys -t "$session" "$@"; sleep 0.3; }
typed() { tmux send-keys -t "$session" -l "$1"; sleep 0.2; }
ended() { wait_for "EXIT="; screen | grep -q "EXIT=0" || fail "the program failed"; }

wait_for "Auswahl Quell Verzeichnis"
wait_for "Folder [$source/]:"
case $scenario in
  cancel-source)
    keys Escape
    ended
    [ "$(cat "$settings")" = "$seeded" ] || fail "settings changed"
    [ "$(ls "$target")" = old.txt ] || fail "the target changed"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  missing-source)
    typed "$work/no such folder"; keys Enter
    wait_for "Not a folder: $work/no such folder"
    typed "~/"; keys BSpace BSpace; typed "$source"; keys Enter ;;
  *) keys Enter ;;
esac
wait_for "Auswahl Ziel Verzeichnis"
newtarget=$target
case $scenario in
  cancel-target)
    keys C-d
    ended
    grep -qx "SourcePath=$source/" "$settings" || fail "the source was not remembered"
    grep -qx "TargetPath=$target/" "$settings" || fail "the target setting changed"
    [ "$(ls "$target")" = old.txt ] || fail "the target changed"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  create-target)
    newtarget=$work/new/photos
    typed "$newtarget"; keys Enter
    wait_for "Create the folder $newtarget?"
    keys y ;;
  *) keys Enter ;;
esac
wait_for "?!: Clear Target Directory:"
wait_for "[Y]es / [N]o / [C]ancel (Enter: Yes)"
case $scenario in
  cancel-prompt)
    keys Escape
    ended
    [ "$(ls "$target")" = old.txt ] || fail "the target changed"
    grep -qx "TargetPath=$target/" "$settings" || fail "the target was not remembered"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  stop)
    keys Enter
    wait_for "Copy File No: 2 of $count"
    keys Escape
    wait_for "?!: Really Stop?!"
    wait_for "[Y]es / [N]o (Enter: No)"
    keys n
    wait_for "Copy File No: 3 of $count"
    keys_then_again "(Enter: No)" C-c
    keys y
    ended
    copied=$(ls "$target" | grep -c .)
    [ "$copied" -ge 2 ] && [ "$copied" -lt "$count" ] || fail "$copied of $count files were copied"
    [ "$(ls "$target")" = "$(echo "$expected" | head -n "$copied")" ] || fail "not the first files in date order"
    wait_for "Target folder: $target/"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  *) keys Enter ;;
esac
ended
wait_for "Target folder: $newtarget/"
[ "$(ls "$newtarget")" = "$expected" ] || fail "the target holds $(ls "$newtarget")"
grep -qx "TargetPath=$newtarget/" "$settings" || fail "the target was not remembered"
echo "PASSED: terminal $scenario"
