#!/usr/bin/env bash
# Contact sheets of the drawn pictures, for review (needs ImageMagick):
#   tools/art/make-sheets.sh ARTDIR OUTDIR
# ARTDIR is the output of fusewick-art (build/assets/art); writes
# OUTDIR/art-images1.png and OUTDIR/art-images2.png: every picture with all
# its patterns and its name, pattern size and count beside it. The
# transparent colour shows as dark slate.
set -euo pipefail
art="$1"
out="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
for list in 1 2; do
  mkdir -p "$work/$list"
  i=0
  grep '^image ' "$art/images$list.manifest" | while read -r _ name file rest; do
    i=$((i + 1))
    w=$(identify -format '%w' "$art/$file")
    h=$(identify -format '%h' "$art/$file")
    pattern=$(sed -n 's/.*pattern=\([0-9]*\),\([0-9]*\).*/\1 \2/p' <<<"$rest")
    info="$w x $h"
    if [ -n "$pattern" ] && [ "$pattern" != "$w $h" ]; then
      read -r pw ph <<<"$pattern"
      info="$info, $(( (w / pw) * (h / ph) )) of ${pw} x ${ph}"
    fi
    if [ "$w" -gt 1100 ]; then size="-resize 1100x"; elif [ "$h" -le 60 ] && [ "$w" -le 550 ]; then size="-scale 200%"; else size=""; fi
    # shellcheck disable=SC2086
    convert \( -size 230x -background '#202028' -fill '#e8e8f0' -font DejaVu-Sans-Bold -pointsize 12 \
      caption:"$name" -font DejaVu-Sans -pointsize 10 -fill '#a0a0b8' caption:"$info" -append \) \
      \( "$art/$file" -fill '#3a3a4a' -opaque '#FF00FF' $size -bordercolor '#55556a' -border 1 \) \
      -background '#202028' -gravity north +append -depth 8 "$work/$list/$(printf '%03d' "$i").png"
  done
  montage -mode concatenate -tile 1x -geometry +4+3 -background '#202028' "$work/$list"/*.png -depth 8 \
    "$out/art-images$list.png"
done
