#!/bin/bash
# Screenshots of the menu screens, the game screen and play on a later
# level of the built game.
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
cp "$here/../dist/options" "$save/options"

cd "$build"
./fusewick &
game=$!
started+=($game)

# The window SDL finally shows (it may make and drop one before).
find_window() {
  win=""
  for _ in $(seq 100); do
    win="$(xdotool search --onlyvisible --name "^Fusewick v.2.0$" 2>/dev/null | tail -1)" && [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "the game window did not appear" >&2; exit 1; }
  sleep 1.5
  win="$(xdotool search --onlyvisible --name "^Fusewick v.2.0$" | tail -1)"
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  sleep 0.5
}
find_window

shot() {  # name: photographs the game window into docs/<name>.png
  sleep 0.6
  import -window "$win" "$here/$1.png"
  echo "docs/$1.png"
}
# A key held for a tenth of a second: the game reads the keyboard once a
# frame, so a press and release within one frame could pass unseen.
key() {
  for k in "$@"; do
    xdotool keydown --window "$win" "$k"; sleep 0.1
    xdotool keyup --window "$win" "$k"; sleep 0.25
  done
}
# Moves the pointer over the window at (x, y) of the 800 x 600 display.
point() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.3; }
click() { xdotool click --window "$win" 1; sleep 0.3; }

# The main menu with its second button chosen by the pointer.
point 400 260
shot main-menu

# Options by the mouse (a click anywhere activates the chosen button), the
# text row chosen by the pointer, clicked and typed into.
click
point 400 385
click
xdotool type --window "$win" --delay 120 "hello fusewick"
sleep 0.3
shot options
key Down              # the back button; editing stops
key Return            # back to the main menu, button 2 chosen

# High scores by the keyboard.
key Down
key Return
shot high-scores
key Return            # back, button 3 chosen

# Help, its first page.
key Down
key Return
shot help
key Down
key Return            # back, button 4 chosen

# A game: the level intro window over the first level; Escape and Y end it
# (a score of 0 enters no table) on the high-score screen.
key Up Up Up
key Return
sleep 0.4
shot game
sleep 2
key Escape y
sleep 0.5

# Back to the main menu and out by its exit button, with the mouse: the
# game saves both files and ends with status 0.
point 400 535
click
point 400 450
click
status=0
wait $game || status=$?
echo "exit status $status"
ls -l "$save"

# Play on level 6, every kind of monster about: the same game through the
# replay runner (a fixed seed, a restless player with the gun), on a folder
# of its own so that the build's saves stay as they are.
play="$(mktemp -d)"
mkdir -p "$play/Data/Save"
ln -s "$build/Data/Res" "$play/Data/Res"
ln -s "$build/Data/Music" "$play/Data/Music"
"$build/fusewick-replay" --data "$play" --seed 3 --random-input 3 --armed --start game --level 6 \
  --ticks 1503 --shot 1503:"$here/play-level6.png" >/dev/null
rm -rf "$play"
echo "docs/play-level6.png"

# A recorded game played back in the window: the replay runner records a
# restless player's game, the game plays it at its own pace; Escape ends the
# playback on the main menu, whose exit button ends the game.
rec="$(mktemp -d)"
mkdir -p "$rec/Data/Save"
ln -s "$build/Data/Res" "$rec/Data/Res"
ln -s "$build/Data/Music" "$rec/Data/Music"
"$build/fusewick-replay" --data "$rec" --seed 3 --start game --random-input 3 --ticks 4000 \
  --record "$rec/game.fwr" >/dev/null
./fusewick --replay "$rec/game.fwr" &
game=$!
started+=($game)
find_window
sleep 6
shot playback
key Escape
point 400 450
click
wait $game || true
rm -rf "$rec"
