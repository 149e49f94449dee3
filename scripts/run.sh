#!/usr/bin/env bash
# `make run`: crops the bundled samples through quillum-cli into ./out/ and says where they are.
# (The window comes with the application step; until then this is the way to see the output.)
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
cli="$build/quillum-cli"
mkdir -p out
shopt -s nullglob
for sample in samples/*.jpg; do
  name=$(basename "${sample%.*}")
  for look in "plain" "bw" "sepia"; do
    case $look in
      plain) opts=(--autolevels --sharpen 1) ;;
      bw)    opts=(--autolevels --mode bw --width 400) ;;
      sepia) opts=(--mode sepia --gamma 0.9 --contrast 0.2 --width 400 --height 400) ;;
    esac
    out="out/$name-$look.jpg"
    printf '%-32s' "$out"
    "$cli" render "$sample" "$out" "${opts[@]}"
  done
done
echo
echo "The cropped samples are in $(pwd)/out/"
