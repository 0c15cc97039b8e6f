#!/usr/bin/env bash
# Installs the Debian package with apt on a fresh Debian (bookworm, minbase,
# made with debootstrap in a chroot), starts the game from its menu entry as
# a new user on an Xvfb display with openbox, takes a screenshot, asks the
# game to close, then purges the package. Needs root, Debian's mirror (the
# network) and a few minutes, so it is not part of ctest.
#
# usage: package_install_test.sh DEB [SHOT.png] [BASE]
#   SHOT.png  where the screenshot of the main menu goes (default: a
#             temporary file, removed at the end)
#   BASE      a debootstrapped folder to copy instead of running
#             debootstrap (for running the test again quickly)
# FUSEWICK_DEBIAN_MIRROR chooses the mirror (default http://deb.debian.org/debian).
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The outer run makes the chroot and removes it; the inner run, in a mount
# namespace of its own, mounts /proc and the X socket folder into it, so
# those mounts end with it and never reach the removal.
if [ -z "${FUSEWICK_CHROOT:-}" ]; then
  [ $# -ge 1 ] && [ -f "$1" ] || fail "usage: $0 DEB [SHOT.png] [BASE]"
  [ "$(id -u)" = 0 ] || fail "run as root (debootstrap, chroot)"
  for tool in debootstrap unshare Xvfb openbox xdotool xprop import; do
    command -v "$tool" >/dev/null || fail "$tool is missing"
  done
  deb=$(realpath "$1")
  shot=${2:-}
  base=${3:-}
  work=$(mktemp -d /tmp/fusewick-chroot.XXXXXX)
  cleanup() {
    # Nothing is mounted below $work in this namespace; --one-file-system
    # all the same.
    if grep -q " $work/" /proc/self/mountinfo; then
      echo "left $work in place: something is still mounted there" >&2
    else
      rm -rf --one-file-system "$work"
    fi
  }
  trap cleanup EXIT
  root=$work/root
  if [ -n "$base" ]; then
    echo "--- copying $base"
    cp -a "$base" "$root"
  else
    echo "--- debootstrap bookworm (minbase)"
    debootstrap --variant=minbase bookworm "$root" "${FUSEWICK_DEBIAN_MIRROR:-http://deb.debian.org/debian}" \
      >"$work/debootstrap.log" 2>&1 || { tail -20 "$work/debootstrap.log" >&2; fail "debootstrap"; }
  fi
  cp "$deb" "$root/tmp/"
  # No daemon that a dependency brings is started in the chroot.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  [ -n "$shot" ] || shot=$work/menu.png
  status=0
  FUSEWICK_CHROOT=$root unshare --mount --propagation private -- \
    bash "$(realpath "$0")" "/tmp/$(basename "$deb")" "$(realpath -m "$shot")" || status=$?
  exit "$status"
fi

# ---- inside the mount namespace
root=$FUSEWICK_CHROOT
deb=$1 shot=$2
pids=()
stop() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap stop EXIT
in_root() { chroot "$root" "$@"; }
mount -t proc proc "$root/proc"

echo "--- apt install $deb"
in_root apt-get update -q >/dev/null
DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -q "$deb" >"$root/tmp/apt.log" 2>&1 ||
  { tail -30 "$root/tmp/apt.log" >&2; fail "apt install"; }
grep -E '^(Need to get|After this operation|Setting up fusewick )' "$root/tmp/apt.log" || true
echo "packages set up, fusewick and its dependencies: $(grep -c '^Setting up ' "$root/tmp/apt.log")"
[ "$(in_root dpkg-query -W -f='${Status}' fusewick)" = "install ok installed" ] || fail "fusewick is not installed"
in_root apt-get check -q >/dev/null || fail "apt-get check: broken dependencies"

# A new user, and a display with a window manager.
in_root useradd --create-home player
uid=$(in_root id -u player)
mkdir -p "$root/tmp/.X11-unix"
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 30 display <&3 || fail "Xvfb did not start"
export DISPLAY=:$display
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
openbox >/dev/null 2>&1 &
pids+=($!)

# The menu entry's command, its field codes removed, run as the new user in
# the login environment a desktop gives.
entry=$root/usr/share/applications/org.fusewick.Fusewick.desktop
command=$(sed -n 's/^Exec=//p' "$entry" | head -1 | sed -E 's/ ?%[fFuUdDnNickvm]//g')
[ -n "$command" ] || fail "the menu entry has no Exec"
echo "--- starting the menu entry's command as player: $command"
in_root runuser -u player -- env -i HOME=/home/player USER=player LOGNAME=player SHELL=/bin/sh \
  PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games DISPLAY="$DISPLAY" \
  sh -c "exec $command" >"$root/tmp/game.log" 2>&1 &
pids+=($!)
window=
for _ in $(seq 300); do
  window=$(xdotool search --name '^Fusewick' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { cat "$root/tmp/game.log" >&2; fail "no Fusewick window"; }
game=$(xdotool getwindowpid "$window")
# The window's class is the one the menu entry names, so that the desktop
# matches the two.
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
xprop -id "$window" WM_CLASS | grep -q "\"$class\"" || fail "window class $(xprop -id "$window" WM_CLASS), not $class"
sleep 3  # the main menu drawn
import -window root "$shot"
colours=$(convert "$shot" -format %k info:)
echo "screenshot: $shot ($colours colours)"

# The game runs as the new user, in the folder the launcher made for them.
[ "$(stat -c %u "/proc/$game")" = "$uid" ] || fail "the game does not run as player"
[ "$(readlink "/proc/$game/exe")" = "$root/usr/lib/games/fusewick/fusewick" ] || fail "not the installed game"
userdir=$root/home/player/.local/share/fusewick
[ "$(readlink "/proc/$game/cwd")" = "$userdir" ] || fail "the game runs in $(readlink "/proc/$game/cwd")"
[ "$colours" -gt 64 ] || fail "the screen is nearly blank"

# A close request (SIGTERM) ends the game, which saves in the user's folder.
kill -TERM "$game"
timeout 30 tail --pid="$game" -f /dev/null || fail "the game did not end after a close request"
for f in hs options; do
  [ -s "$userdir/Data/Save/$f" ] && [ "$(stat -c %u "$userdir/Data/Save/$f")" = "$uid" ] ||
    fail "Data/Save/$f not saved by player"
done
echo "game log:"; sed 's/^/  /' "$root/tmp/game.log"

echo "--- apt purge fusewick"
in_root dpkg -L fusewick >"$root/tmp/files"
# (apt's note that /dev/pts is not mounted in the chroot goes to the log)
DEBIAN_FRONTEND=noninteractive in_root apt-get purge -y -q fusewick >"$root/tmp/purge.log" 2>&1 ||
  { cat "$root/tmp/purge.log" >&2; fail "apt purge"; }
left=$(while read -r f; do [ -f "$root$f" ] && echo "$f"; done <"$root/tmp/files" || true)
[ -z "$left" ] || fail "files left after purge: $left"
echo "package install, menu entry, purge: ok"
