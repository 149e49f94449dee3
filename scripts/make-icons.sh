#!/usr/bin/env bash
# Renders the hicolor PNG icons from the SVG. The PNGs are committed, so building and
# installing never need the converter; run this after editing the SVG.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --icons
icons="$root/data/icons/hicolor"
svg="$icons/scalable/apps/org.quillum.Quillum.svg"
for size in 16 32 48 64 128 256; do
  mkdir -p "$icons/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$icons/${size}x${size}/apps/org.quillum.Quillum.png"
done
