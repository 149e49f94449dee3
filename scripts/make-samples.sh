#!/usr/bin/env bash
# Regenerates samples/ from the public-domain and CC0 photographs that Debian's
# python3-skimage package ships (licence notes: the docstrings in skimage/data/_fetchers.py).
# The outputs are committed; this exists so they can be reproduced.
# Needs: python3-skimage, ImageMagick 6, exiv2 (apt-get install python3-skimage imagemagick exiv2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/samples"
convert=$(command -v convert-im6.q16 || command -v convert)
src=$(dpkg -L python3-skimage 2>/dev/null | grep '/skimage/data/rocket.jpg$' | xargs -r dirname)
[ -d "$src" ] || { echo "make-samples: python3-skimage's data folder not found" >&2; exit 1; }
mkdir -p "$out"

# name, source file, DateTimeOriginal
samples=(
  "astronaut.jpg astronaut.png 1995:02:03 09:00:00"
  "coffee.jpg coffee.png 2019:04:20 08:15:00"
  "rocket.jpg rocket.jpg 2015:02:11 23:03:00"
  "camera-grey.jpg camera.png 2019:09:01 12:00:00"
)
for entry in "${samples[@]}"; do
  read -r name file date time <<<"$entry"
  "$convert" "$src/$file" -strip -quality 90 "$out/$name"
  exiv2 -M"set Exif.Photo.DateTimeOriginal $date $time" -M"set Exif.Image.Orientation 1" modify "$out/$name"
done

# Stored turned a quarter turn anticlockwise; orientation 6 tells viewers to turn it back.
"$convert" "$src/chelsea.png" -rotate -90 -strip -quality 90 "$out/cat-orientation6.jpg"
exiv2 -M"set Exif.Photo.DateTimeOriginal 2012:07:28 16:45:00" -M"set Exif.Image.Orientation 6" \
      modify "$out/cat-orientation6.jpg"

ls -l "$out"
