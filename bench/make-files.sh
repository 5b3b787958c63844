#!/bin/sh
# Writes the benchmark's TGA files with ImageMagick into OUTDIR:
#   WxH-PICTURE-COMPRESSION-DEPTH-ORDER.tga
# for 720x576 and 1920x1080; a photo-like picture (a gradient under noise,
# alpha falling from top to bottom) and a flat graphic one (bars and shapes
# on transparent black); no compression (type 2) and run-length (type 10);
# 24 and 32 bits; rows bottom to top (bl) and top to bottom (tl). Also
# OUTDIR/alpha/TestAlpha.tga, the 720x576 photo, run-length, 32 bits, for
# the whole alpha test.
#   make-files.sh OUTDIR
set -eu
out=$1
convert=${CONVERT:-convert}
mkdir -p "$out/alpha"
cd "$out"

# One convert per picture writes all eight variants of it.
variants() {
  name=$1
  shift
  set -- "$@"
  args=""
  for compress in none rle; do
    for depth in 24 32; do
      if [ "$depth" = 24 ]; then type="-alpha off -type TrueColor"; else type="-type TrueColorAlpha"; fi
      for order in bl tl; do
        if [ "$order" = bl ]; then o=BottomLeft; else o=TopLeft; fi
        args="$args ( +clone $type -orient $o -compress $compress -write $name-$compress-$depth-$order.tga +delete )"
      done
    done
  done
  # shellcheck disable=SC2086
  "$convert" "$@" $args null:
}

for size in 720x576 1920x1080; do
  w=${size%x*}
  h=${size#*x}
  variants "$size-photo" -seed 7 -size "$size" gradient:'#203060-#f0c080' -attenuate 0.4 +noise Gaussian \
    \( -size "$size" gradient:white-gray20 \) -alpha off -compose CopyOpacity -composite
  variants "$size-flat" -size "$size" xc:'#00000000' \
    -fill '#ffffff' -draw "rectangle 0,0 $((w / 8)),$((h / 2))" \
    -fill '#ffff00' -draw "rectangle $((w / 8)),0 $((w / 4)),$((h / 2))" \
    -fill '#00ffff' -draw "rectangle $((w / 4)),0 $((3 * w / 8)),$((h / 2))" \
    -fill '#00ff0080' -draw "rectangle $((3 * w / 8)),0 $((w / 2)),$((h / 2))" \
    -fill '#c0c0c0' -draw "circle $((3 * w / 4)),$((h / 2)) $((7 * w / 8)),$((h / 2))" \
    -fill '#0000ff' -draw "rectangle 0,$((3 * h / 4)) $((w - 1)),$((7 * h / 8))"
done
cp 720x576-photo-rle-32-bl.tga alpha/TestAlpha.tga
ls -1 -- *.tga > files.txt
