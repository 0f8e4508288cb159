#!/bin/bash
# The real program, run as a person runs it, against the system's own tools
# over the same folders: the terminal front end typed in tmux, the GTK one
# worked with keystrokes under a display.
#
#   bench/end_to_end.sh [WORK_FOLDER] [SMALL_FILES] [LARGE_FILES] [LARGE_MB] [ROUNDS] [FRONT_ENDS]
#   xvfb-run -a -s "-screen 0 1280x1024x24" bench/end_to_end.sh /var/tmp/tavro-bench 100000 4 256 7
#   BENCH_COPY=no bench/end_to_end.sh /var/tmp/tavro-bench 1000000 0 0 5 terminal   # the scan alone
#
# Each round runs, for each front end: the program over an empty folder, then
# over each folder shape, each run next to `find` and `cp` over the same
# folder (the tools after the program in odd rounds, before it in even ones).
# A phase of the program is timed from the keystroke that starts it:
# - scan and order: Enter on the source folder, until the target's browser
#   shows (its window is mapped, or its title is printed);
# - copy: Enter at the clear prompt (the target is empty), until the program
#   has ended (the 500 ms before the worker starts and the release of the
#   list included). With BENCH_COPY=no the prompt is cancelled instead.
# Each is taken net of the same phase over an empty folder in the same
# round. The tools: `find -maxdepth 1 -type f -printf` of the three times and
# the name, and `cp --preserve=mode,timestamps` into a new folder followed by
# `sync -f` on it, since the program puts its copies on the disk before it
# ends (both after `sync`, with every file's content in memory;
# BENCH_CACHE=cold empties the system's cache before each copy instead, and
# lets cp find the folder's entries in memory, as the program's scan leaves
# them: the copies from the disk). Memory: the peak resident size
# of the whole process (/usr/bin/time), beyond that of the empty run, per
# file, less the names' own bytes. Medians are printed with the spread
# (smallest and largest of the rounds).
#
# Run as root, the folders live on an ext4 file system of their own, made
# anew with mkfs.ext4's defaults in WORK_FOLDER/tavro-bench.img and mounted
# through a loop device (BENCH_FS=folder uses WORK_FOLDER as it is;
# TAVRO_PROGRAM names another build of the program to measure). A file
# system with a history weighs on some copies more than on others: on this
# machine's ext4 without a journal, which looks into the inode table for each
# inode it hands out, files were made up to twenty times slower in some
# folders than in others.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
program=${TAVRO_PROGRAM:-$top/build/linux/src/tavro}
work=${1:-/var/tmp/tavro-bench}
small=${2:-100000}
large=${3:-4}
large_mb=${4:-256}
rounds=${5:-5}
fronts=${6:-terminal gtk}
copying=${BENCH_COPY:-yes}
cache=${BENCH_CACHE:-warm}
filesystem=${BENCH_FS:-image}
[ "$(id -u)" -eq 0 ] || filesystem=folder
[ "$cache" = warm ] || [ "$(id -u)" -eq 0 ] || { echo "BENCH_CACHE=cold needs root"; exit 1; }
[ -x "$program" ] || { echo "build it first: cmake --preset linux && cmake --build --preset linux"; exit 1; }
for tool in tmux perl xdotool xev /usr/bin/time bc; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (tools/install-deps.sh installs it)"; exit 1; }
done
case " $fronts " in *" gtk "*)
  [ -n "${DISPLAY:-}" ] || { echo "the GTK runs need a display: run it under xvfb-run"; exit 1; }
esac
mkdir -p "$work"
work=$(cd "$work" && pwd)
export TZ=UTC GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
session=tavro-bench-$$
# A tmux server of its own, which takes nothing from another one that runs.
tmux() { command tmux -L "$session" "$@"; }
helpers=()
mounted=""
cleanup() {
  tmux kill-server 2>/dev/null
  for pid in "${helpers[@]}"; do kill -- "$pid" 2>/dev/null; done
  rm -rf "$data/out" "$work/run" "$work/row"
  [ -n "$mounted" ] && umount "$mounted" && rm -f "$image"
}
trap cleanup EXIT
[ -n "${BENCH_DEBUG:-}" ] && trap - EXIT
data=$work
if [ "$filesystem" = image ]; then
  # A new file system each time, with room for the folders and one round's
  # copies, its inode tables written at once (not in the background later).
  held=2
  [ "$copying" = yes ] && held=6
  image=$work/tavro-bench.img
  rm -f "$image"
  truncate -s "$(( (small * 4096 + large * (large_mb << 20)) * held / 1048576 + 1024 ))M" "$image" &&
    mkfs.ext4 -q -F -N $((small * held + 10000)) -E lazy_itable_init=0,lazy_journal_init=0 "$image" || exit 1
  data=$work/fs
  mkdir -p "$data" && mount -o loop "$image" "$data" || exit 1
  mounted=$data
fi

now() { date +%s.%N; }
seconds() { local start; start=$(now); "$@" >/dev/null 2>&1; echo "$(now) - $start" | bc; }

# Files with stamps spread over twenty years, in an order unlike that of
# their names; the same content in each file of a shape.
make_files() {
  local folder=$1 count=$2 bytes=$3
  [ -d "$folder" ] && [ "$(find "$folder" -maxdepth 1 -type f | wc -l)" -eq "$count" ] && return
  rm -rf "$folder"
  perl -e '
    my ($folder, $count, $bytes) = @ARGV;
    mkdir $folder or die "$folder: $!";
    srand(11);
    open(my $random, "<", "/dev/urandom") or die; binmode $random;
    my $chunk = ""; read($random, $chunk, $bytes < (1 << 20) ? $bytes : 1 << 20);
    for my $i (1 .. $count) {
      my $name = sprintf("%s/img_%07d.jpg", $folder, $i);
      open(my $file, ">", $name) or die "$name: $!"; binmode $file;
      for (my $left = $bytes; $left > 0; $left -= length $chunk) {
        read($random, $chunk, length $chunk) if $bytes > length $chunk;
        print $file substr($chunk, 0, $left < length $chunk ? $left : length $chunk);
      }
      close $file or die "$name: $!";
      my $time = 1100000000 + int(rand(630000000));
      utime($time + 3600, $time, $name) or die "$name: $!";
    }' "$folder" "$count" "$bytes" || exit 1
}

# Every copy goes into a new folder; a round's copies are removed when the
# next round starts.
copies=0
# Two syncs: the first may leave what a loop device wrote into its file.
fresh_target() {
  copies=$((copies + 1)); target=$data/out/$copies; mkdir -p "$target"; sync; sync
  [ "$cache" = warm ] || echo 3 >/proc/sys/vm/drop_caches
}
seed_settings() {
  rm -rf "$work/run"; mkdir -p "$work/run/config/Tavro"
  printf '[Tavro]\nSourcePath=%s/\nTargetPath=%s/\n' "$1" "$target" >"$work/run/config/Tavro/settings.ini"
  # A file browser that opens nothing, so the run ends without a box where
  # none is installed.
  mkdir -p "$work/run/data/applications"
  printf '[Desktop Entry]\nType=Application\nName=None\nExec=true %%f\nMimeType=inode/directory;\n' \
    >"$work/run/data/applications/tavro-bench-browser.desktop"
  printf '[Default Applications]\ninode/directory=tavro-bench-browser.desktop\n' >"$work/run/config/mimeapps.list"
}

# Waits until the file holds the text (a fixed string), for as long as the
# run takes: false only when the run has ended without showing it.
wait_text() {
  until grep -qaF -- "$2" "$1" 2>/dev/null; do
    if grep -qaF "EXIT=" "$1" 2>/dev/null; then
      grep -qaF -- "$2" "$1" && return 0  # both came at once
      echo "never shown: $2" >&2
      return 1
    fi
    sleep 0.02
  done
}
# When the terminal first showed the text: the time of the chunk of output
# that completed it.
time_of_text() {
  local at
  at=$(grep -boaF -- "$1" "$work/run/raw" | head -n 1 | cut -d: -f1)
  awk -v end=$((at + ${#1})) '$1 >= end { print $2; exit }' "$work/run/times"
}

# One run in the terminal, typed in tmux: prints "SCAN COPY PEAK_KB".
run_terminal() {
  local source=$1 keys_at scan_at prompt_at raw=$work/run/raw
  fresh_target; seed_settings "$source"
  tmux new-session -d -s "$session" -x 200 -y 50 \
    "while [ ! -e $work/run/go ]; do sleep 0.02; done;
     env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME=$work/run/config XDG_DATA_HOME=$work/run/data /usr/bin/time -f %M -o $work/run/peak $program;
     echo EXIT=\$?; sleep 600"
  # Every chunk of output the terminal gets, with the time it came (no '%':
  # tmux passes the command through strftime).
  tmux pipe-pane -t "$session" -o "exec perl -MTime::HiRes=time -e '
    open(R, \">>\", \"$raw\"); open(T, \">>\", \"$work/run/times\"); R->autoflush(1); T->autoflush(1);
    my \$n = 0; while (my \$k = sysread(STDIN, my \$b, 65536)) { print R \$b; \$n += \$k; print T \"\$n \", time, \"\\n\" }'"
  touch "$work/run/go"
  wait_text "$raw" "Folder [$source/]:" || return 1
  sleep 0.3
  keys_at=$(now); tmux send-keys -t "$session" Enter
  wait_text "$raw" "Folder [$target/]:" || return 1
  scan_at=$(time_of_text "Auswahl Ziel Verzeichnis")
  sleep 0.3; tmux send-keys -t "$session" Enter
  wait_text "$raw" "(Enter: Yes)" || return 1
  sleep 0.3
  prompt_at=$(now); tmux send-keys -t "$session" "$answer"
  wait_text "$raw" "EXIT=" || return 1
  grep -qaF "EXIT=0" "$raw" || { echo "the program failed" >&2; return 1; }
  echo "$(echo "$scan_at - $keys_at" | bc) $(echo "$(time_of_text "EXIT=") - $prompt_at" | bc) $(cat "$work/run/peak")"
  tmux kill-session -t "$session"
}

# The window of that name, once it is there, for as long as the program runs.
find_window() {
  while kill -0 "$pid" 2>/dev/null; do
    xdotool search --name "$1" 2>/dev/null | head -n 1 | grep . && return 0
    sleep 0.02
  done
  echo "no window: $1" >&2; return 1
}
press() { xdotool windowfocus --sync "$1" 2>/dev/null; sleep 0.3; }

# One run through the GTK windows: prints "SCAN COPY PEAK_KB". The target
# browser's time is that of its mapping, as the X server told it.
run_gtk() {
  local source=$1 window keys_at mapped prompt_at pid
  fresh_target; seed_settings "$source"
  # The X server's word on each window mapped, with the time it came (in a
  # session of its own, so that both processes of the pipe end together).
  setsid bash -c "stdbuf -oL xev -root -event substructure 2>/dev/null |
    perl -MTime::HiRes=time -ne 'BEGIN { \$| = 1 } printf \"%.6f %s\", time, \$_ if /^MapNotify/ .. /^\$/'" \
    >"$work/run/maps" &
  helpers+=("-$!")
  sleep 0.2
  XDG_CONFIG_HOME=$work/run/config XDG_DATA_HOME=$work/run/data /usr/bin/time -f %M -o "$work/run/peak" "$program" \
    >"$work/run/log" 2>&1 </dev/null &
  pid=$!
  window=$(find_window '^Auswahl Quell Verzeichnis $') || return 1
  # The browser lists the folder in the background; a person looks first.
  press "$window"; sleep 2
  keys_at=$(now); xdotool key --clearmodifiers Return
  window=$(find_window '^Auswahl Ziel Verzeichnis $') || return 1
  mapped=$(awk -v id="$(printf 'window 0x%x,' "$window")" 'index($0, id) { print $1; exit }' "$work/run/maps")
  press "$window"; xdotool key --clearmodifiers Return
  window=$(find_window '^\?!$') || return 1
  press "$window"
  prompt_at=$(now); xdotool key --clearmodifiers "$key"
  wait "$pid" || { echo "the program failed" >&2; return 1; }
  echo "$(echo "${mapped:-$(now)} - $keys_at" | bc) $(echo "$(now) - $prompt_at" | bc) $(cat "$work/run/peak")"
  kill -- "${helpers[@]}" 2>/dev/null; helpers=()
}

# Median, smallest and largest of the numbers on standard input.
spread() { sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
  printf "%.3f (%.3f-%.3f)", m, v[1], v[NR] }'; }

# Yes at the clear prompt (the target is empty), or Cancel: no copy.
answer=Enter key=Return
[ "$copying" = yes ] || answer=Escape key=Escape
shapes="small"
[ "$large" -gt 0 ] && shapes="small large"
make_files "$data/empty" 0 0
make_files "$data/small" "$small" 1024
[ "$large" -gt 0 ] && make_files "$data/large" "$large" $((large_mb << 20))
# Every folder read once, its files' content included, before the first
# round, so that no run reads from the disk (unless BENCH_CACHE=cold).
for shape in $shapes; do find "$data/$shape" -maxdepth 1 -type f -exec cat {} + >/dev/null; done
# And each front end started once, so that its first run does not load what
# the others find loaded.
for front in $fronts; do fresh_target; "run_$front" "$data/empty" >"$work/row" || exit 1; done
results=$work/results
: >"$results"
# The program's run and the tools' over the same folder; every other round
# the tools go first.
measure() {
  local front=$1 shape=$2 round=$3 found copied=0
  if [ $((round % 2)) -eq 0 ]; then
    "run_$front" "$data/$shape" >"$work/row" || exit 1
  fi
  found=$(seconds find "$data/$shape" -maxdepth 1 -type f -printf '%T@ %A@ %B@ %f\n')
  if [ "$copying" = yes ]; then
    fresh_target
    [ "$cache" = warm ] || find "$data/$shape" -maxdepth 1 -type f -printf '%T@ %A@ %B@ %f\n' >/dev/null
    copied=$(seconds sh -c 'cp --preserve=mode,timestamps -r "$1/." "$2" && sync -f "$2"' cp "$data/$shape" "$target")
  fi
  if [ $((round % 2)) -eq 1 ]; then
    "run_$front" "$data/$shape" >"$work/row" || exit 1
  fi
  read -r scan copy peak <"$work/row"
  echo "$front $shape $(echo "$scan - $scan0" | bc) $found $(echo "$copy - $copy0" | bc) $copied $((peak - peak0))" |
    tee -a "$results" >&2
}
for round in $(seq "$rounds"); do
  rm -rf "$data/out"
  for front in $fronts; do
    "run_$front" "$data/empty" >"$work/row" || exit 1
    read -r scan0 copy0 peak0 <"$work/row"
    for shape in $shapes; do measure "$front" "$shape" "$round"; done
  done
done

# The names' own bytes, as the list keeps them (each with its end byte).
name_bytes() { find "$1" -maxdepth 1 -type f -printf '%f\n' | wc -c; }
printf '\n%-9s %-6s %-10s %-22s %-22s %-6s\n' "front" "shape" "phase" "program (s)" "tool (s)" "ratio"
for front in $fronts; do
  for shape in $shapes; do
    rows=$(grep "^$front $shape " "$results")
    count=$(find "$data/$shape" -maxdepth 1 -type f | wc -l)
    printf '%-9s %-6s %-10s %-22s %-22s %s\n' "$front" "$shape" "scan+order" \
      "$(echo "$rows" | awk '{ print $3 }' | spread)" "$(echo "$rows" | awk '{ print $4 }' | spread)" \
      "$(echo "$rows" | awk '{ print $3 / $4 }' | spread)"
    [ "$copying" = yes ] && printf '%-9s %-6s %-10s %-22s %-22s %s\n' "$front" "$shape" "copy" \
      "$(echo "$rows" | awk '{ print $5 }' | spread)" "$(echo "$rows" | awk '{ print $6 }' | spread)" \
      "$(echo "$rows" | awk '{ print $5 / $6 }' | spread)"
    [ "$shape" = small ] || continue
    names=$(name_bytes "$data/$shape")
    echo "$front: peak memory beyond the empty run, per file, less the names:" \
      "$(echo "$rows" | awk -v n="$count" -v b="$names" '{ print ($7 * 1024 - b) / n }' | spread) bytes"
  done
done
