#!/bin/bash
# Screenshots of the menu screens (and the game screen) of the built game.
# Builds nothing: run it after a build, from anywhere. The game runs in its
# own Xvfb with openbox on display :97 from the build folder (default
# build/; pass another as the first argument), is driven with xdotool and
# photographed with ImageMagick; the pictures land in docs/.
#
#   bash docs/screenshots.sh [build-folder]
#
# Needs xvfb, openbox, xdotool, wmctrl and imagemagick.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
display=:97
export DISPLAY=$display SDL_AUDIODRIVER=dummy

started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

if ! xdpyinfo -display $display >/dev/null 2>&1; then
  Xvfb $display -screen 0 1280x1024x24 >/dev/null 2>&1 &
  started+=($!)
  for _ in $(seq 50); do xdpyinfo -display $display >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  started+=($!)
  sleep 1
fi

# Start from the saved state the game would have after a fresh build, so
# that the pictures always show the same screens.
save="$build/Data/Save"
backup="$(mktemp -d)"
cp -a "$save/." "$backup/" 2>/dev/null || true
restore() {
  rm -rf "${save:?}"/*
  cp -a "$backup/." "$save/" 2>/dev/null || true
  rm -rf "$backup"
  cleanup
}
trap restore EXIT
rm -f "$save/hs" "$save/options"

cd "$build"
./fusewick &
game=$!
started+=($game)

win=""
for _ in $(seq 100); do
  win="$(xdotool search --name "Fusewick v.2.0" 2>/dev/null | head -1)" && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "the game window did not appear" >&2; exit 1; }
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
sleep 1.5

shot() {  # name: photographs the game window into docs/<name>.png
  sleep 0.6
  import -window "$win" "$here/$1.png"
  echo "docs/$1.png"
}
key() { xdotool key --window "$win" "$@"; sleep 0.3; }
# Moves the pointer over the window at (x, y) of the 800 x 600 display.
point() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.3; }
click() { xdotool click --window "$win" 1; sleep 0.3; }

# The main menu with its second button chosen by the pointer.
point 400 260
shot main-menu

# Options by the mouse: a click anywhere activates the chosen button.
point 400 260
click
point 700 30          # off every button: the back button stays chosen
shot options
key Return            # back to the main menu (button 2 chosen)

# High scores by the keyboard.
key Down
key Return
shot high-scores
key Return            # back (button 3 chosen)

# Help, page 2.
key Down
key Return
key Right
shot help
key Return            # the back button is not chosen: Right turned the page
key Down
key Return            # back to the main menu

# A game: the level intro window over the first level.
key Up key Up key Up
key Return
sleep 0.4
shot game
key Escape
key y
sleep 0.5

wmctrl -c "Fusewick v.2.0" || true
wait $game || true
