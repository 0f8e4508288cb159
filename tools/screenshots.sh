#!/bin/sh
# Makes the README's pictures again, in docs/screenshots/: runs the end-to-end
# tests that take screenshots (the Linux program and the 64-bit Windows one
# under Xvfb, the terminal copy in tmux), then trims, shrinks and reduces a
# few of their pictures to a palette of colours. Needs what
# tools/install-deps.sh installs; takes a few minutes.
set -e
cd "$(dirname "$0")/.."
for preset in linux windows-x64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
linux=build/linux/screenshots windows=build/windows-x64/screenshots docs=docs/screenshots
rm -rf "$linux" "$windows" build/windows-x64/wineprefix
display() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
display ctest --preset linux -R 'end_to_end_linux_(copy|stop)'
display ctest --preset windows-x64 -R 'end_to_end_windows_(copy|stop)'
WINEPREFIX="$PWD/build/windows-x64/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
text=$(mktemp /tmp/tavro-screen-XXXXXX)
trap 'rm -f "$text"' EXIT
TAVRO_SCREEN_TEXT=$text bash tests/e2e/terminal-e2e.sh copy build/linux/src/tavro | grep -q PASSED

mkdir -p "$docs"
# shot NAME PICTURE WIDTH: the windows on the screen, at most WIDTH pixels wide,
# without time stamps in the file, so that the same picture gives the same bytes.
shot() {
  convert "$2" -trim +repage -resize "$3x>" +dither -colors 96 -strip \
    -define png:exclude-chunks=date,time PNG8:"$docs/$1.png"
}
shot linux-source-folder "$linux/e2e-linux-copy-1-source-browser.png" 520
shot linux-clear-prompt "$linux/e2e-linux-copy-3-clear-prompt.png" 440
shot linux-progress "$linux/e2e-linux-stop-4-progress.png" 440
shot linux-stop-question "$linux/e2e-linux-stop-5-stop-question.png" 440
shot windows-source-folder "$windows/e2e-windows-copy-1-source-browser.png" 440
shot windows-clear-prompt "$windows/e2e-windows-copy-3-clear-prompt.png" 440
shot windows-stop-question "$windows/e2e-windows-stop-5-stop-question.png" 440
# The terminal's screen up to the program's end, drawn in a monospaced font.
screen=$(sed -e '/^EXIT=/,$d' "$text" | sed -e '/./,$!d')
convert -background '#1e1e1e' -fill '#dddddd' -font DejaVu-Sans-Mono -pointsize 13 label:"$screen" \
  -bordercolor '#1e1e1e' -border 10 +dither -colors 16 -strip -define png:exclude-chunks=date,time \
  PNG8:"$docs/terminal-run.png"
du -cb "$docs"/*.png
