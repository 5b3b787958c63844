#!/bin/sh
# Makes a fresh fuzzing run's directories: SEEDS gets the generated seed
# files and ImageMagick-written TGA files, CORPUS starts empty.
#   make-corpus.sh SEED-PROGRAM SEEDS CORPUS
set -eu
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$2" "$3" "$2.real"
mkdir -p "$2" "$3"
"$1" "$2"
sh "$here/../tga/make-real-files.sh" "$2.real"
cp "$2.real"/*.tga "$2"/
