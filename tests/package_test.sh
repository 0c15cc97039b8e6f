#!/usr/bin/env bash
# Makes the Debian package with cpack and checks it without installing it:
# its name, its control fields (Depends found by dpkg-shlibdeps), exactly
# which files it holds with their owners and modes, a stripped game, the
# paths the launcher, menu entry and manual page name, the changelog's
# version, and lintian (no errors) where lintian is installed.
#
# usage: package_test.sh BUILD_DIR CPACK VERSION
set -euo pipefail

build=$1 cpack=$2 version=$3
arch=$(dpkg --print-architecture)
work=$(mktemp -d /tmp/fusewick-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$work/fusewick_${version}_$arch.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(cd "$work" && ls -- *.deb 2>/dev/null)"

# --- control fields
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = fusewick ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ "$(field Priority)" = optional ] || fail "Priority: $(field Priority)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^@\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
description=$(field Description)
[ "$(head -1 <<<"$description")" = "arcade platform game: clear every bomb before its fuse burns down" ] ||
  fail "Description's first line: $(head -1 <<<"$description")"
[ "$(wc -l <<<"$description")" -gt 5 ] || fail "no long description"
depends=$(field Depends)
for lib in libc6 libsdl2-2.0-0 libsdl2-mixer-2.0-0 libstdc++6; do
  [[ ", $depends," == *", $lib ("* ]] || fail "Depends lacks $lib: $depends"
done

# --- the files: exactly these, owned by root, folders rwxr-xr-x.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ {print $1, $2, $6}' <<<"$listing" | sort -k3)
id=org.fusewick.Fusewick
expected=$(sort -k3 <<EOF
-rwxr-xr-x root/root ./usr/games/fusewick
-rwxr-xr-x root/root ./usr/lib/games/fusewick/fusewick
-rw-r--r-- root/root ./usr/share/games/fusewick/Data/Res/Images1.dxg
-rw-r--r-- root/root ./usr/share/games/fusewick/Data/Res/Images2.dxg
-rw-r--r-- root/root ./usr/share/games/fusewick/Data/Res/Sounds.dxw
-rw-r--r-- root/root ./usr/share/games/fusewick/Data/Music/Game.xm
-rw-r--r-- root/root ./usr/share/games/fusewick/Data/Music/Menu.xm
-rw-r--r-- root/root ./usr/share/games/fusewick/Data/Save/options
-rw-r--r-- root/root ./usr/share/applications/$id.desktop
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/$id.png
-rw-r--r-- root/root ./usr/share/metainfo/$id.metainfo.xml
-rw-r--r-- root/root ./usr/share/man/man6/fusewick.6.gz
-rw-r--r-- root/root ./usr/share/doc/fusewick/copyright
-rw-r--r-- root/root ./usr/share/doc/fusewick/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/lintian/overrides/fusewick
EOF
)
[ "$files" = "$expected" ] || fail "the package's files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$files") || true)"
bad_dirs=$(awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root")' <<<"$listing")
[ -z "$bad_dirs" ] || fail "folders not rwxr-xr-x root/root: $bad_dirs"

# --- the contents
root=$work/root
dpkg-deb -x "$deb" "$root"
sections=$(readelf -SW "$root/usr/lib/games/fusewick/fusewick")
! grep -Eq ' \.(symtab|debug_[a-z]+|comment) ' <<<"$sections" || fail "the game is not stripped"
grep -qx "game='/usr/lib/games/fusewick/fusewick'" "$root/usr/games/fusewick" &&
  grep -qx "datadir='/usr/share/games/fusewick'" "$root/usr/games/fusewick" ||
  fail "the launcher does not name the installed game and data"
grep -qx "Exec=/usr/games/fusewick" "$root/usr/share/applications/$id.desktop" ||
  fail "the menu entry does not start the installed launcher"
man=$(zcat "$root/usr/share/man/man6/fusewick.6.gz")
grep -q '^\.TH FUSEWICK 6 ' <<<"$man" && grep -qx '\.I /usr/lib/games/fusewick/fusewick' <<<"$man" ||
  fail "the manual page"
[[ "$(zcat "$root/usr/share/doc/fusewick/changelog.Debian.gz" | head -1)" == "fusewick ($version) "* ]] ||
  fail "the changelog's last entry is not $version: $(zcat "$root/usr/share/doc/fusewick/changelog.Debian.gz" | head -1)"
[ "$(head -1 "$root/usr/share/doc/fusewick/copyright")" = \
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
  fail "the copyright file is not machine-readable"

# --- lintian, where installed
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian"; }
  cat "$work/lintian.log"
fi
echo "debian package: ok ($(du -k "$deb" | cut -f1) KiB)"
