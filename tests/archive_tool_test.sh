#!/usr/bin/env bash
# Tests of fusewick-archive as a maintainer uses it.
#   archive_tool_test.sh TOOL WORKDIR roundtrip    list, extract and pack round-trip exactly
#   archive_tool_test.sh TOOL WORKDIR bmp          bitmaps written by ImageMagick come out with their exact pixels
#   archive_tool_test.sh TOOL WORKDIR errors       bad input is refused with a clear message
# Needs ImageMagick's convert for the fixtures; exits 77 (skipped) without it.
set -euo pipefail
tool="$1" work="$2" mode="$3"
command -v convert >/dev/null || { echo "convert (imagemagick) not found: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
# Raw 8-bit RGB pixels of a picture file as ImageMagick reads it, alpha left out.
pixels() { convert "$1" -alpha off -depth 8 rgb:-; }
same_pixels() {
  [ "$(convert "$1" -format '%wx%h' info:)" = "$(convert "$2" -format '%wx%h' info:)" ] || fail "$1 and $2 differ in size"
  cmp -s <(pixels "$1") <(pixels "$2") || fail "$1 and $2 differ in pixels"
}
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
# A small PCM RIFF WAVE with a chunk of another kind between format and data.
make_wav() {  # FILE RATE FRAMES
  local frames=$3 data=$(( $3 * 2 ))
  { printf 'RIFF'; le32 $((4 + 24 + 12 + 8 + data)); printf 'WAVEfmt '; le32 16
    le16 1; le16 1; le32 "$2"; le32 $(($2 * 2)); le16 2; le16 16
    printf 'LIST'; le32 4; printf 'INFO'
    printf 'data'; le32 $data; head -c $data /dev/urandom; } > "$1"
}

case "$mode" in
roundtrip)
  convert -size 48x45 xc:'#ff00ff' -fill '#ffcc00' -stroke '#202020' -draw 'circle 12,22 12,6' \
          -fill '#3366ff' -draw 'rectangle 28,6 44,40' -depth 8 sprites.png
  convert -size 37x23 gradient:'#ff0000'-'#0000ff' -fill '#00ff00' -draw 'rectangle 3,3 9,9' -depth 8 gradient.png
  convert -size 9x5 xc:black -fill white -draw 'point 4,2' -type grayscale gray.png
  convert -size 6x6 xc:'#10203080' -alpha set alpha.png
  make_wav shot.wav 22050 1000
  make_wav loop.wav 11025 333
  mkdir -p src && mv sprites.png gradient.png gray.png alpha.png shot.wav loop.wav src/
  cat > src/images.txt <<'MANIFEST'
# every option, and the defaults
archive images

image Bomb sprites.png pattern=24,45 color=clFuchsia
image Grad gradient.png pattern=10,10 skip=2,1 transparent=0 color=0x00FF00 systemmemory=1
image Gray gray.png
image Alpha alpha.png color=0xFF000005
MANIFEST
  printf 'archive waves\nwave Shot shot.wav maxplaying=4\nwave Loop loop.wav looped=1\n' > src/waves.txt

  "$tool" pack src/images.txt a.dxg
  "$tool" pack src/waves.txt a.dxw
  "$tool" list a.dxg > list1.txt
  "$tool" list a.dxw >> list1.txt
  cat > want.txt <<'LIST'
Bomb  48x45  pattern 24x45  patterns 2  transparent 0xFF00FF clFuchsia
Grad  37x23  pattern 10x10  patterns 6  skip 2x1  transparent off  systemmemory
Gray  9x5  pattern 9x5  patterns 1  transparent 0x000000 clBlack
Alpha  6x6  pattern 6x6  patterns 1  transparent 0xFF000005 clWindow
Shot  1 ch  22050 Hz  16 bit  0.045 s  maxplaying 4
Loop  1 ch  11025 Hz  16 bit  0.030 s  looped
LIST
  diff want.txt list1.txt || fail "list output"

  "$tool" extract a.dxg out
  "$tool" extract a.dxw out
  for n in Bomb:sprites Grad:gradient Gray:gray Alpha:alpha; do same_pixels "out/${n%%:*}.png" "src/${n##*:}.png"; done
  cmp out/Shot.wav src/shot.wav && cmp out/Loop.wav src/loop.wav || fail "extracted sounds differ"
  [ "$(convert out/Gray.png -format '%[channels]' info:)" = srgb ] || fail "extracted PNG is not RGB"

  # The manifest that extract wrote packs the same archive again, byte for byte.
  "$tool" extract a.dxg again && "$tool" pack again/manifest.txt b.dxg
  "$tool" extract a.dxw againw && "$tool" pack againw/manifest.txt b.dxw
  cmp a.dxg b.dxg || fail "image archive does not round-trip"
  cmp a.dxw b.dxw || fail "sound archive does not round-trip"
  "$tool" list b.dxg > list2.txt && "$tool" list b.dxw >> list2.txt
  diff list1.txt list2.txt || fail "list after the round trip"

  "$tool" sheet a.dxg sheet.png
  [ "$(convert sheet.png -format '%w' info:)" -ge 1280 ] || fail "contact sheet"
  ;;

bmp)
  # A picture of more than 256 colours and one of a few; each bitmap form
  # ImageMagick writes is packed as it is and extracted again.
  convert -size 37x23 gradient:'#ff2000'-'#0030ff' -fill '#00ff00' -draw 'rectangle 3,3 9,9' -fill white -draw 'point 36,0' many.png
  convert many.png -colors 12 few.png
  forms=(
    # name|source|options|writer|header size|bits|compression
    "bmp3-24|many.png|-type truecolor|BMP3|40|24|0"
    "bmp3-32|many.png|-alpha on -define bmp3:alpha=true|BMP3|40|32|0"
    "bmp3-8|many.png|-colors 200 -type palette -compress none|BMP3|40|8|0"
    "bmp3-rle8|many.png|-colors 200 -type palette -compress RLE|BMP3|40|8|1"
    "bmp3-rle8-few|few.png|-type palette -compress RLE|BMP3|40|8|1"
    "bmp3-4|few.png|-type palette -compress none|BMP3|40|4|0"
    "bmp3-1|many.png|-type bilevel|BMP3|40|1|0"
    "core-24|many.png|-type truecolor|BMP2|12|24|0"
    "core-8|many.png|-colors 200 -type palette|BMP2|12|8|0"
    "core-4|few.png|-type palette|BMP2|12|4|0"
    "core-1|many.png|-type bilevel|BMP2|12|1|0"
    "bitfields-565|many.png|-type truecolor -define bmp:subtype=RGB565|BMP|124|16|3"
    "bitfields-555|many.png|-type truecolor -define bmp:subtype=RGB555|BMP|124|16|3"
  )
  echo "archive images" > m.txt
  for f in "${forms[@]}"; do
    IFS='|' read -r name src opts fmt hs bits comp <<< "$f"
    # shellcheck disable=SC2086
    convert "$src" $opts "$fmt:$name.bmp"
    # Make sure ImageMagick wrote the form this case is about.
    got_hs=$(od -An -tu4 -j14 -N4 "$name.bmp" | tr -d ' ')
    if [ "$hs" = 12 ]; then got_bits=$(od -An -tu2 -j24 -N2 "$name.bmp" | tr -d ' '); got_comp=0
    else got_bits=$(od -An -tu2 -j28 -N2 "$name.bmp" | tr -d ' '); got_comp=$(od -An -tu4 -j30 -N4 "$name.bmp" | tr -d ' '); fi
    [ "$got_hs:$got_bits:$got_comp" = "$hs:$bits:$comp" ] || fail "$name.bmp is $got_hs:$got_bits:$got_comp, not $hs:$bits:$comp"
    echo "image $name $name.bmp" >> m.txt
  done
  "$tool" pack m.txt bmp.dxg
  "$tool" extract bmp.dxg out
  for f in "${forms[@]}"; do
    name=${f%%|*}
    same_pixels "out/$name.png" "$name.bmp"
    echo "ok $name"
  done
  ;;

errors)
  convert -size 8x8 xc:red red.png
  make_wav ok.wav 8000 10
  printf 'RIFX\x04\x00\x00\x00WAVE' > bad.wav
  expect_error() {  # MESSAGE-PART COMMAND...
    local want="$1"; shift
    if "$@" 2> err.txt; then fail "'$*' succeeded"; fi
    grep -q -- "$want" err.txt || { cat err.txt; fail "'$*' did not say '$want'"; }
  }
  run_manifest() { printf "$1" > m.txt; "$tool" pack m.txt out.dxg; }
  expect_error "m.txt:1: the first entry" run_manifest 'image A red.png\n'
  expect_error "m.txt:2: unknown image option 'colour=1'" run_manifest 'archive images\nimage A red.png colour=1\n'
  expect_error "m.txt:2: bad image option 'pattern=8'" run_manifest 'archive images\nimage A red.png pattern=8\n'
  expect_error "m.txt:2: bad image option 'color=clPink'" run_manifest 'archive images\nimage A red.png color=clPink\n'
  expect_error "m.txt:3: name 'a' already used on line 2" run_manifest 'archive images\nimage A red.png\nimage a red.png\n'
  expect_error "m.txt:2: a wave entry in an archive of images" run_manifest 'archive images\nwave A ok.wav\n'
  expect_error "has no whole pattern" run_manifest 'archive images\nimage A red.png pattern=9,8\n'
  expect_error "missing.png" run_manifest 'archive images\nimage A missing.png\n'
  expect_error "bad.wav: Wave is invalid" run_manifest 'archive waves\nwave A bad.wav\n'
  [ ! -e out.dxg ] || fail "a failed pack left an archive"
  # What is not a plain file of a sane size is refused at once, never read
  # whole or waited on.
  mkdir folder.dxg && mkfifo fifo.dxg && truncate -s 129M big.dxg
  expect_error "\"folder.dxg\": it is a folder" "$tool" list folder.dxg
  expect_error "\"fifo.dxg\": it is not a plain file" timeout 60 "$tool" list fifo.dxg
  expect_error "\"/dev/zero\": it is not a plain file" timeout 60 "$tool" list /dev/zero
  expect_error "\"big.dxg\": it is larger than 128 MB" "$tool" list big.dxg
  expect_error "\"/dev/zero\": it is not a plain file" timeout 60 "$tool" pack /dev/zero out.dxg
  expect_error "\"folder.dxg\": it is a folder" run_manifest 'archive images\nimage A folder.dxg\n'
  expect_error "\"fifo.dxg\": it is not a plain file" timeout 60 bash -c "printf 'archive waves\nwave A fifo.dxg\n' > m.txt && '$tool' pack m.txt out.dxg"
  rm -f fifo.dxg big.dxg
  expect_error "usage:" "$tool" list
  expect_error "usage:" "$tool" frobnicate a b

  # A damaged archive: list shows the items before the damage, then fails.
  printf 'archive images\nimage First red.png\nimage Second red.png\n' > m.txt
  "$tool" pack m.txt good.dxg
  head -c $(( $(stat -c %s good.dxg) - 20 )) good.dxg > cut.dxg
  expect_error "Stream read error" "$tool" list cut.dxg
  listed=$("$tool" list cut.dxg 2>/dev/null || true)
  [ "${listed%% *}" = First ] || fail "list of a damaged archive shows nothing"

  # Item names cannot lead extract outside its folder.
  printf 'archive images\nimage ../../Evil red.png\nimage /etc/x red.png\n' > m.txt
  "$tool" pack m.txt evil.dxg
  mkdir -p inside && "$tool" extract evil.dxg inside/out 2>/dev/null
  [ -z "$(find . -name '*Evil*' -not -path './inside/out/*')" ] || fail "extract wrote outside its folder"
  [ "$(ls inside/out | wc -l)" = 3 ] || fail "extract did not write both pictures and the manifest"
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "archive tool $mode: ok"
