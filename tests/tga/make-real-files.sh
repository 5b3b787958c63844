#!/bin/sh
# Writes TGA files with ImageMagick into OUTDIR, each with ImageMagick's own
# upright decode of it beside it (NAME.rgba: 8-bit red, green, blue, alpha,
# top row first), and lists them in OUTDIR/files.txt.
#   make-real-files.sh OUTDIR
# Names tell what a file should be: WxH-{none,rle}-{24,32}-{bl,tl,tr}.tga
# (bottom-left, top-left, top-right first pixel).
set -eu
out=$1
convert=${CONVERT:-convert}
mkdir -p "$out"
cd "$out"
rm -f files.txt

# Two pictures: fractal colours under an alpha gradient (alpha 0 at the
# bottom), an opaque black block, a half-transparent blue block and a
# flat grey band, so there are runs for the encoder and black for the
# transparency rule. The second is wider than 256 pixels.
picture() {
  "$convert" -seed 7 -size "$1" plasma:fractal \
    \( -size "$1" gradient:white-black \) -alpha off -compose CopyOpacity -composite \
    -compose Over -fill black -draw "rectangle 5,1 15,4" \
    -fill "rgba(0,0,255,0.5)" -draw "rectangle 20,2 40,5" \
    -fill "rgb(128,128,128)" -draw "rectangle 0,6 400,6" \
    "src-$1.png"
}

for size in 67x45 301x9; do
  picture "$size"
  for compress in none rle; do
    for depth in 24 32; do
      if [ "$depth" = 24 ]; then type="-alpha off -type TrueColor"; else type="-type TrueColorAlpha"; fi
      for orient in bl tl tr; do
        case $orient in
          bl) o=BottomLeft ;;
          tl) o=TopLeft ;;
          tr) o=TopRight; [ "$size$compress$depth" = 67x45rle32 ] || continue ;;
        esac
        name=$size-$compress-$depth-$orient
        # shellcheck disable=SC2086
        "$convert" "src-$size.png" $type -orient $o -compress "$compress" "$name.tga"
        "$convert" "$name.tga" -auto-orient -depth 8 "rgba:$name.rgba"
        echo "$name" >> files.txt
      done
    done
  done
done
