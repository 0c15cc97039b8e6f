#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks what lands there, makes the
# prefix read-only and starts the game through its launcher for two users
# with fresh homes. Each run is ended by a close request (SIGTERM, which SDL
# turns into one): the game must have run in the user's own folder, saved
# there, and left the prefix exactly as installed.
#
# usage: install_test.sh BUILD_DIR
set -euo pipefail

build=$1
id=org.fusewick.Fusewick
work=$(mktemp -d /tmp/fusewick-install.XXXXXX)
chmod 755 "$work"
cleanup() {
  for p in $(jobs -p); do kill -KILL "$p" 2>/dev/null || true; done
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
game=$prefix/lib/games/fusewick/fusewick
data=$prefix/share/games/fusewick

# --- what the install puts where
[ -x "$prefix/games/fusewick" ] || fail "no launcher"
[ -x "$game" ] || fail "no game"
for f in share/games/fusewick/Data/Res/Images1.dxg share/games/fusewick/Data/Res/Images2.dxg \
         share/games/fusewick/Data/Res/Sounds.dxw share/games/fusewick/Data/Music/Game.xm \
         share/games/fusewick/Data/Music/Menu.xm share/games/fusewick/Data/Save/options \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/man/man6/fusewick.6.gz \
         share/doc/fusewick/copyright share/doc/fusewick/changelog.Debian.gz; do
  [ -s "$prefix/$f" ] || fail "missing $f"
done
# Icons: PNG with alpha (colour type 6) of the size their folder names.
for size in 48 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$png" ] || fail "missing icon $size"
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  kind=$(od -An -tu1 -j25 -N1 "$png" | tr -d ' ')
  [ "$w x $h, $kind" = "$size x $size, 6" ] || fail "icon $size is $w x $h, colour type $kind"
done
grep -qx "Exec=$prefix/games/fusewick" "$prefix/share/applications/$id.desktop" || fail "the menu entry does not start the launcher"
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null || fail "appstreamcli validate"

# --- the prefix read-only; as root the game runs as an unprivileged user so
# that read-only means something.
chmod -R a-w "$prefix"
snapshot() { (cd "$prefix" && find . -printf '%p %y %s %T@ %l\n' | sort); }
before=$(snapshot)
as_user=()
owner=$(id -u)
if [ "$owner" = 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  owner=nobody
fi

# Starts the game through the launcher with HOME=$1 and XDG_DATA_HOME=$2 (or
# unset when empty), waits until it is running in $3, asks it to close and
# waits for it to end.
play() {
  local home=$1 xdg=$2 expect=$3
  local envs=(HOME="$home" PATH=/usr/bin:/bin SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
              ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
  [ -n "$xdg" ] && envs+=(XDG_DATA_HOME="$xdg")
  "${as_user[@]}" env -i "${envs[@]}" "$prefix/games/fusewick" >"$work/game.log" 2>&1 &
  local pid=$!
  # Running: the launcher has become the game, in the user's folder, and SDL
  # has taken over SIGTERM (bit 15 of the caught signals) to report it as a
  # close request.
  local i
  for ((i = 0; i < 600; i++)); do
    if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$game" ] &&
       (( 0x$(awk '/^SigCgt/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0) & 0x4000 )); then
      break
    fi
    kill -0 "$pid" 2>/dev/null || { cat "$work/game.log" >&2; fail "the game ended by itself"; }
    sleep 0.1
  done
  [ "$(readlink "/proc/$pid/cwd")" = "$expect" ] || fail "the game runs in $(readlink "/proc/$pid/cwd"), not $expect"
  sleep 0.5  # into the message loop
  kill -TERM "$pid"
  local status=0
  timeout 60 tail --pid="$pid" -f /dev/null || fail "the game did not end after a close request"
  wait "$pid" || status=$?
  [ "$status" = 0 ] || { cat "$work/game.log" >&2; fail "the game ended with status $status"; }
  [ -s "$expect/Data/Save/hs" ] && [ -s "$expect/Data/Save/options" ] || fail "nothing saved in $expect/Data/Save"
  # A new player starts windowed with music and sound on.
  [ "$(head -3 "$expect/Data/Save/options" | tr -d '\r' | tr '\n' ' ')" = "0 1 1 " ] ||
    fail "the first options are not windowed with music and sound on"
  [ "$(readlink -f "$expect/Data/Res")" = "$data/Data/Res" ] || fail "Data/Res does not lead to the installation"
  [ "$(readlink -f "$expect/Data/Music")" = "$data/Data/Music" ] || fail "Data/Music does not lead to the installation"
}

# User one: a relative XDG_DATA_HOME counts as unset.
one=$work/one
mkdir -p "$one" && chown "$owner" "$one"
play "$one" relative/data "$one/.local/share/fusewick"

# User two: a data folder of their own, holding a link left by an earlier
# installation elsewhere.
two=$work/two
mkdir -p "$two/data/fusewick/Data"
ln -s /nonexistent/Data/Res "$two/data/fusewick/Data/Res"
chown -R -h "$owner" "$two"
play "$two" "$two/data" "$two/data/fusewick"

[ "$(snapshot)" = "$before" ] || fail "the installation changed while the game ran"
echo "install and launch: ok"
