#!/usr/bin/env bash
# `make run`: opens Quillum on the bundled samples. Without a display it does the same job
# headless: crops the samples through quillum-cli into ./out/ and says how to see the window.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec "$build/quillum" samples/coffee.jpg
fi

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
# One sample with every decoration: borders, the built-in logo and two captions.
out="out/coffee-decorated.jpg"
printf '%-32s' "$out"
"$cli" render samples/coffee.jpg "$out" --width 1200 --borders --logo SampleLogo500 \
  --caption 1 '$f$P$s' --caption 2 '$d - $t' --caption-style 2:location=8,size=30
echo
echo "No display here, so the samples were cropped headless into $(pwd)/out/."
echo "To see the window: run 'make run' in a desktop session, or 'xvfb-run -a make run'."
