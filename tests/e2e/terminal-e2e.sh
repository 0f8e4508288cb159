#!/bin/bash
# The Linux program without a display, in the terminal, driven in tmux as a
# person types: terminal-e2e.sh SCENARIO PROGRAM
#
# SCENARIO: copy, cancel-source, cancel-target, cancel-prompt, stop,
# missing-source, create-target, no-terminal, arguments, first-run,
# byte-names (a source whose name is no UTF-8, typed with Tab, a target's
# with an escape sequence), failures (a full target, unreadable files, a name
# too long), signal (SIGTERM while copying into a FUSE view), signal-prompt,
# output-file, output-pipe, narrow (45 columns, then 32).
# tmux runs on a server of its own, and the program gets only the environment
# given here: a tmux server running already changes nothing.
set -u
scenario=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/expected-names.sh"
export TZ=XST-2
tm() { tmux -S "$work/tmux" "$@"; }
fail() { echo "FAILED: $*"; echo "--- screen:"; tm capture-pane -p -t "$session" 2>/dev/null | sed '/^$/d'; exit 1; }

case $scenario in failures | signal)
  [ "$(id -u)" -eq 0 ] || { echo "SKIPPED: terminal $scenario needs root (a file system of its own)"; exit 0; }
esac
[ "$scenario" = signal ] && ! command -v bindfs >/dev/null && { echo "SKIPPED: terminal signal needs bindfs"; exit 0; }
work=$(mktemp -d /tmp/tavro-terminal-XXXXXX)
session=tavro-$$
mounted=""
trap 'tm kill-server 2>/dev/null; [ -n "$mounted" ] && umount "$mounted"; rm -rf "$work"' EXIT
source=$work/source target=$work/target config=$work/config home=$work/home
# How the target's path shows on the terminal.
shown_target=$target
if [ "$scenario" = byte-names ]; then
  source=$work/s$'\xff'urce target=$work/t$'\e[2J\xff'arget shown_target="$work/t\\x1B[2J\\xFFarget"
fi
mkdir -p "$source" "$target" "$config/Tavro" "$home"
count=6
for i in $(seq $count); do
  echo "photo $i" >"$source/img_$i.jpg"
  touch -d "2004-0$(( (i * 5) % 9 + 1 ))-1$i 0$i:3$i:00 UTC" "$source/img_$i.jpg"
done
echo old >"$target/old.txt"
expected=$(expected_names "$source")
settings=$config/Tavro/settings.ini
remembered=$source
[ "$scenario" = byte-names ] && remembered=$work
printf '[Tavro]\nSourcePath=%s/\nTargetPath=%s/\n' "$remembered" "$target" >"$settings"
[ "$scenario" = first-run ] && rm "$settings" && remembered=$home
seeded=$(cat "$settings" 2>/dev/null)

runner=""
if [ "$scenario" = failures ]; then
  # Room for two of three large files that come last; a file nobody may read
  # (the program runs as another user); a name too long for a copy's name.
  for i in 1 2 3; do
    head -c 800000 /dev/zero >"$source/big_$i.bin"
    touch -d "2005-01-0$i 10:00 UTC" "$source/big_$i.bin"
  done
  echo secret >"$source/unreadable.jpg" && chmod 000 "$source/unreadable.jpg"
  # Names that clear the screen, or are no UTF-8, where printed as they are.
  for odd in $'x\e[2J\e[Hy.jpg' $'f\xffo.jpg'; do echo secret >"$source/$odd" && chmod 000 "$source/$odd"; done
  long=$(printf 'n%.0s' $(seq 232)).jpg  # 259 bytes as a copy's name, its path within 300
  echo long >"$source/$long"
  mount -t tmpfs -o size=2m,mode=0777 tavro-full "$target" || fail "cannot make a small file system"
  mounted=$target
  chmod 755 "$work" && chmod -R a+rwX "$config"
  runner="setpriv --reuid=nobody --regid=nogroup --clear-groups"
fi

if [ "$scenario" = no-terminal ]; then
  env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/fresh" "$program" </dev/null >"$work/out" 2>"$work/err"
  code=$?
  [ "$code" -eq 7 ] || fail "the program ended with $code"
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q 'no display .* and no terminal on standard input' "$work/err" ||
    fail "message: $(cat "$work/err")"
  [ ! -e "$work/fresh" ] || fail "it wrote settings"
  echo "PASSED: terminal $scenario"
  exit 0
fi
if [ "$scenario" = arguments ]; then
  bare() { env -i PATH="$PATH" XDG_CONFIG_HOME="$work/fresh" "$program" "$@" </dev/null 2>"$work/err"; }
  version=$(sed -n 's/^project(Tavro VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
  [ "$(bare --version)" = "tavro $version" ] || fail "--version: $(bare --version) $(cat "$work/err")"
  [ "$(bare --help | grep -c -e '^Usage: tavro' -e 'Tavro/settings.ini' -e '^  8 ' -e '^  64 ' -e 'man tavro')" = 5 ] ||
    fail "--help: $(bare --help)"
  bare --bogus >"$work/out"
  [ $? -eq 64 ] && [ ! -s "$work/out" ] && grep -q -- --help "$work/err" || fail "--bogus: $(cat "$work/err")"
  bare --help --version >/dev/null
  [ $? -eq 64 ] && [ ! -e "$work/fresh" ] || fail "two arguments were taken, or settings written"
  echo "PASSED: terminal $scenario"
  exit 0
fi

preload=""
if [ "$scenario" = signal ]; then
  # A view of the target through FUSE, which keeps no unnamed files: the copy
  # in hand has a name until it is complete.
  mkdir "$work/view" && bindfs "$target" "$work/view" || fail "cannot make a FUSE view"
  mounted=$work/view
  sed -i "s|^TargetPath=.*|TargetPath=$work/view/|" "$settings"
  shown_target=$work/view
fi
if [ "$scenario" = stop ] || [ "$scenario" = signal ] || [ "$scenario" = narrow ]; then
  cc -shared -fPIC -O2 -o "$work/slow_disk.so" "$here/slow_disk.c" -ldl || fail "cannot build the slow disk"
  preload="LD_PRELOAD=$work/slow_disk.so TAVRO_SLOW_FOLDER=$work/ TAVRO_SLOW_MS=700"
fi
# Only what is given here reaches the program; TERM is the pane's own.
run="$runner env -i PATH=$PATH TERM=\$TERM HOME=$home LANG=C.UTF-8 TZ=$TZ XDG_CONFIG_HOME=$config $preload $program"
case $scenario in
  output-file) run="$run >$work/log" ;;
  output-pipe) run="$run | tee $work/log; (exit \${PIPESTATUS[0]})" ;;
esac
columns=150
[ "$scenario" = narrow ] && columns=45
printf 'set -g default-shell /bin/bash\nset -g history-limit 2000\n' >"$work/tmux.conf"
tm -f "$work/tmux.conf" new-session -d -s "$session" -x $columns -y 40 "$run; echo EXIT=\$?;
   echo TTY \$(stty -a | tr ' ;' '\n\n' | grep -xE -- '-?(isig|icanon|echo)'); sleep 60"

screen() { tm capture-pane -p -J -t "$session" -S -200; }
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
  tm send-keys -t "$session" "$@"
  for _ in $(seq 150); do [ "$(screen | grep -cF -- "$text")" -gt "$before" ] && return 0; sleep 0.1; done
  fail "the screen never showed again: $text"
}
keys() { tm send-keys -t "$session" "$@"; sleep 0.3; }
typed() { tm send-keys -t "$session" -l "$1"; sleep 0.2; }
ended() { wait_for "EXIT="; screen | grep -q "EXIT=${1:-0}" || fail "the program did not end with ${1:-0}"; }

wait_for "Auswahl Quell Verzeichnis"
wait_for "Folder [$remembered/]:"
case $scenario in
  byte-names)
    typed "$work/s"; keys Tab
    wait_for "$work/s"$'\xf4\x8f\xbb\xbf'"urce/"  # the byte's stand-in on the screen
    keys Enter ;;
  cancel-source | first-run)
    keys Escape
    ended
    [ "$(cat "$settings")" = "$seeded" ] || fail "settings changed"
    [ "$(ls "$target")" = old.txt ] || fail "the target changed"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  signal-prompt)
    # Stopped and going on (Ctrl+Z, fg), the line still completes with Tab; then
    # SIGTERM meets the program's own handler alone: the shell that started it goes on.
    tavro=$(pgrep -P "$(tm display -p -t "$session" '#{pane_pid}')")
    kill -TSTP "$tavro"; sleep 0.3; kill -CONT "$tavro"
    typed "$work/sou"; keys Tab
    wait_for "]: $source/"
    kill -TERM "$tavro"
    ended 143
    screen | grep -qx "TTY isig icanon echo" || fail "the terminal was left in another mode"
    [ "$(cat "$settings")" = "$seeded" ] || fail "settings changed"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  missing-source)
    typed "$work/no such folder"; keys Enter
    wait_for "Not a folder: $work/no such folder"
    typed "~/"; keys BSpace BSpace; typed "$source"; keys Enter ;;
  *) keys Enter ;;
esac
wait_for "Auswahl Ziel Verzeichnis"
wait_for "Folder [$shown_target/]:"
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
    keys y
    shown_target=$newtarget ;;
  *) keys Enter ;;
esac
wait_for "?!: Clear Target Directory:"
screen | grep -qxF -- "$shown_target/" || fail "the question does not show the target as $shown_target/"
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
  narrow)
    # The line fits the width and is redrawn in place, also once the terminal is narrower.
    bars() { tm capture-pane -p -t "$session" | grep -c '^\[[#-]*\] Copy File No: '; }
    keys Enter
    wait_for "Copy File No: 2 of $count"
    sleep 0.5
    [ "$(bars)" -eq 1 ] || fail "the line wrapped in $columns columns"
    tm resize-window -t "$session" -x 32
    wait_for "Copy File No: 4 of $count"
    before=$(bars)
    wait_for "Copy File No: 5 of $count"
    [ "$(bars)" -eq "$before" ] || fail "the line wrapped in 32 columns"
    tm capture-pane -p -t "$session" | grep -q '^\[[#-]*\] Copy File No: 5 of 6 *$' ||
      fail "the line was not fitted to 32 columns" ;;
  signal)
    keys Enter
    wait_for "Copy File No: 2 of $count"
    kill -TERM "$(pgrep -P "$(tm display -p -t "$session" '#{pane_pid}')")"
    ended 143
    screen | grep -qx "TTY isig icanon echo" || fail "the terminal was left in another mode"
    leftovers=$(ls -A "$target" | grep '^\.') && fail "left behind: $leftovers"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  failures)
    keys Enter
    wait_for "Fehler: 5 of 13 files could not be copied:"
    for line in "unreadable.jpg: Permission denied" "$long: File name too long" "big_3.bin: No space left on device" \
      'x\x1B[2J\x1B[Hy.jpg: Permission denied' 'f\xFFo.jpg: Permission denied'; do
      screen | grep -qxF -- "$line" || fail "no line: $line"
    done
    wait_for "[O]K (Enter: OK)"
    keys Enter
    ended 6
    [ "$(ls "$target" | grep -c .)" -eq 8 ] || fail "the target holds $(ls "$target")"
    echo "PASSED: terminal $scenario"; exit 0 ;;
  *) keys Enter ;;
esac
ended
case $scenario in
  output-file | output-pipe)
    # The questions were asked on the terminal; the output holds the progress
    # as plain lines and the target's path, nothing else.
    [ "$(head -n 1 "$work/log")" = "Progress........." ] && grep -qx "Copy File No: [1-6] of $count" "$work/log" &&
      [ "$(tail -n 1 "$work/log")" = "Target folder: $target/" ] && ! grep -q $'\r\|\e\|Folder\|?!' "$work/log" ||
      fail "the output: $(cat -A "$work/log")" ;;
  *) wait_for "Target folder: $shown_target/" ;;
esac
[ "$(ls "$newtarget")" = "$expected" ] || fail "the target holds $(ls "$newtarget")"
grep -qxF "TargetPath=$newtarget/" "$settings" || fail "the target was not remembered"
grep -qxF "SourcePath=$source/" "$settings" || fail "the source was not remembered byte for byte"
# tools/screenshots.sh shows this run in the README.
[ -n "${TAVRO_SCREEN_TEXT:-}" ] && screen >"$TAVRO_SCREEN_TEXT"
echo "PASSED: terminal $scenario"
