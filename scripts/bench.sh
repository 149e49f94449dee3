#!/usr/bin/env bash
# `make bench`: quillum-bench's medians, then the end-to-end render of the same photo by
# quillum-cli, by libvips alone (vips-pipeline) and by ImageMagick, with auto levels and
# (quillum-cli and libvips) without, and a Markdown summary.
# Timings are reported, never asserted: a missed target does not fail the script.
#
#   scripts/bench.sh BUILD_DIR        (BENCH_RUNS=N for more end-to-end runs; default 5)
set -euo pipefail
# EPOCHREALTIME and awk must use '.' as the decimal point.
export LC_ALL=C

build=${1:-build}
runs=${BENCH_RUNS:-5}
[[ -d $build ]] || { echo "bench: no build folder $build" >&2; exit 2; }
build=$(cd "$build" && pwd)
[[ $runs =~ ^[0-9]+$ && $runs -ge 5 ]] || { echo "bench: BENCH_RUNS must be 5 or more" >&2; exit 2; }

bench="$build/bench/quillum-bench"
pipeline="$build/bench/vips-pipeline"
cli="$build/quillum-cli"
for tool in "$bench" "$pipeline" "$cli"; do
  [[ -x $tool ]] || { echo "bench: $tool is missing (configure with -DQUILLUM_BENCH=ON and build)" >&2; exit 2; }
done
magick=$(command -v convert-im6.q16 || true)
gnutime=""
[[ -x /usr/bin/time ]] && gnutime=/usr/bin/time

photo="$build/bench-data/photo-6000x4000.jpg"
if [[ ! -f $photo ]]; then
  echo "bench: making $photo"
  "$bench" --make-photo "$photo"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/quillum-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# --- 1. Component medians ---------------------------------------------------------------
echo "== quillum-bench ($(basename "$photo"), $(($(stat -c %s "$photo") / 1000)) kB)"
"$bench" --photo "$photo" --benchmark_format=console \
  --benchmark_out="$work/bench.csv" --benchmark_out_format=csv
app_bench="$build/bench/quillum-bench-app"
if [[ -x $app_bench ]]; then
  "$app_bench" --photo "$photo" --benchmark_format=console \
    --benchmark_out="$work/app.csv" --benchmark_out_format=csv
  tail -n +2 "$work/app.csv" | grep -v '^name,' >>"$work/bench.csv" || true
fi

# Peak memory while walking the folder of five 6000 x 4000 photos with the look-ahead.
walk_rss="n/a"
if [[ -n $gnutime ]]; then
  walk_kb=$("$gnutime" -f %M "$bench" --photo "$photo" --benchmark_filter='next-picture/look-ahead' \
              --benchmark_repetitions=1 2>&1 >/dev/null | tail -n 1)
  walk_rss=$(awk -v k="$walk_kb" 'BEGIN { printf "%.0f", k * 1024 / 1e6 }')
fi

# From process start to the window shown (offscreen; the run ends right after the show).
startup_runs=()
for _ in 1 2 3 4 5 6 7; do
  t0=$EPOCHREALTIME
  QT_QPA_PLATFORM=offscreen QUILLUM_QUIT_WHEN_SHOWN=1 "$build/quillum" >/dev/null 2>&1 || true
  t1=$EPOCHREALTIME
  startup_runs+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
done
startup=$(printf '%s\n' "${startup_runs[@]}" | sort -n | sed -n 4p)

# From process start to the first picture shown: the settings name the photo as the last one
# opened, so the window reopens it at launch (the run ends once it is shown).
config="$work/config"
mkdir -p "$config/Quillum"
printf '[General]\nZentRecentImagesArray=%s\n' "$photo" >"$config/Quillum/Quillum.ini"
reopen_runs=()
for _ in 1 2 3 4 5 6 7; do
  t0=$EPOCHREALTIME
  XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen QUILLUM_QUIT_WHEN_SHOWN=1 "$build/quillum" >/dev/null 2>&1 || true
  t1=$EPOCHREALTIME
  reopen_runs+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
done
reopen=$(printf '%s\n' "${reopen_runs[@]}" | sort -n | sed -n 4p)

# median_of PREFIX: the real-time median of the benchmark whose name starts with PREFIX.
median_of() {
  awk -F, -v p="\"$1/" 'index($1, p) == 1 && $1 ~ /_median"$/ && $9 == "" { printf "%.1f", $3; found = 1 }
                        END { if (!found) printf "n/a" }' "$work/bench.csv"
}

# --- 2. End to end ----------------------------------------------------------------------
# run_timed NAME CMD...: one run; appends its wall ms to NAME.ms and its peak RSS (kB) to NAME.rss.
run_timed() {
  local name=$1 start end
  shift
  start=${EPOCHREALTIME/[.,]/}
  if [[ -n $gnutime ]]; then
    "$gnutime" -f %M -o "$work/$name.last" "$@" >/dev/null
  else
    # Without GNU time, sample the child's high-water mark until it exits.
    "$@" >/dev/null &
    local pid=$! hwm=0 v
    while kill -0 "$pid" 2>/dev/null; do
      v=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
      [[ -n $v ]] && hwm=$v
      sleep 0.01
    done
    wait "$pid"
    echo "$hwm" >"$work/$name.last"
  fi
  end=${EPOCHREALTIME/[.,]/}
  echo $(((end - start) / 1000)) >>"$work/$name.ms"
  tail -n 1 "$work/$name.last" >>"$work/$name.rss"
}

median_file() {
  sort -n "$1" | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# Peak over all runs, in MB (10^6 bytes) from kB (1024 bytes).
peak_mb() { sort -n "$1" | tail -n 1 | awk '{ printf "%.0f", $1 * 1024 / 1e6 }'; }

echo
echo "== end to end: $(basename "$photo") -> 1920 wide, auto levels, sharpen, JPEG q90 ($runs runs each)"
quillum_cmd=("$cli" render "$photo" "$work/quillum.jpg" --width 1920 --autolevels --sharpen 1 --quality 90)
vips_cmd=("$pipeline" "$photo" "$work/vips.jpg" --width 1920 --quality 90 --autolevels)
magick_cmd=("$magick" "$photo" -auto-level -resize 1920x -sharpen 0x1 -quality 90 "$work/magick.jpg")
# The same pair without levels: libvips then streams the decode into the resize.
quillum_plain_cmd=("$cli" render "$photo" "$work/quillum-plain.jpg" --width 1920 --sharpen 1 --quality 90)
vips_plain_cmd=("$pipeline" "$photo" "$work/vips-plain.jpg" --width 1920 --quality 90)
# One untimed run each of the fast tools settles the page cache and the dynamic loader.
"${quillum_cmd[@]}" >/dev/null
"${vips_cmd[@]}" >/dev/null
"${quillum_plain_cmd[@]}" >/dev/null
"${vips_plain_cmd[@]}" >/dev/null
# Round robin, so background load falls on all of them alike.
for ((i = 1; i <= runs; i++)); do
  run_timed quillum "${quillum_cmd[@]}"
  run_timed vips "${vips_cmd[@]}"
  run_timed quillum-plain "${quillum_plain_cmd[@]}"
  run_timed vips-plain "${vips_plain_cmd[@]}"
  [[ -n $magick ]] && run_timed magick "${magick_cmd[@]}"
  printf '.'
done
echo

q_ms=$(median_file "$work/quillum.ms")
v_ms=$(median_file "$work/vips.ms")
q_mb=$(peak_mb "$work/quillum.rss")
v_mb=$(peak_mb "$work/vips.rss")
qp_ms=$(median_file "$work/quillum-plain.ms")
vp_ms=$(median_file "$work/vips-plain.ms")
qp_mb=$(peak_mb "$work/quillum-plain.rss")
vp_mb=$(peak_mb "$work/vips-plain.rss")
m_ms="n/a" m_mb="n/a"
if [[ -n $magick ]]; then
  m_ms=$(median_file "$work/magick.ms")
  m_mb=$(peak_mb "$work/magick.rss")
fi
rss_note=""
[[ -z $gnutime ]] && rss_note=" (sampled)"

# --- 3. Summary -------------------------------------------------------------------------
# verdict VALUE LIMIT: "met", "missed", or "n/a" when the value is missing.
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { if (v == "n/a") { print "n/a"; exit }; print (v + 0 <= l + 0) ? "met" : "missed" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == "n/a" || b + 0 == 0) print "n/a"; else printf "%.2f", a / b }'; }

decode=$(median_of decode)
convert=$(median_of convert/whole)
whole=$(median_of render/whole/autolevels)
full=$(median_of "render/w1920/autolevels+correction+sharpen1")
plain=$(median_of render/w1920/plain)
crop4000=$(median_of "render/crop4000/autolevels+sharpen1")
first_full=$(median_of "render/first/w1920/autolevels+correction+sharpen1")
first_crop=$(median_of "render/first/crop4000/autolevels+sharpen1")
# 10^6 steps per iteration: the median in ms is the cost per step in ns.
drag=$(median_of cropframe/1e6-drag-steps)
hits=$(median_of cropframe/1e6-hit-tests)
repaint=$(median_of app/drag-step-repaint)
preview=$(median_of app/preview-while-dragging)
next_ahead=$(awk -F, '$1 ~ /^"next-picture\/look-ahead/ && $1 ~ /_median"$/ { printf "%.1f", $3 }' "$work/bench.csv")
next_plain=$(awk -F, '$1 ~ /^"next-picture\/no-look-ahead/ && $1 ~ /_median"$/ { printf "%.1f", $3 }' "$work/bench.csv")
# The window walking the folder: one row, its time the median of the iterations is not kept,
# so the mean of eight steps; its peak RSS a counter column.
window_next=$(awk -F, '$1 ~ /^"app\/window-next-photo/ { printf "%.1f", $3 }' "$work/app.csv" 2>/dev/null)
window_rss=$(awk -F, '$1 == "name" { for (i = 1; i <= NF; ++i) if ($i ~ /peakRSS_MB/) c = i }
  $1 ~ /^"app\/window-next-photo/ && c { printf "%.0f", $c }' "$work/app.csv" 2>/dev/null)
quarter=$(median_of rotate/quarter)
thirty=$(median_of rotate/30-degrees)
listing=$(median_of list/10000-files)
settings_read=$(median_of settings/read)
settings_write=$(median_of settings/write)
settings_flush=$(median_of "settings/write+flush")
presets_read=$(median_of presets/read-1000-and-menu)
presets_add=$(median_of presets/capture-and-append)
save_plain=$(median_of save/jpeg-1920-q90-plain)
save_meta=$(median_of save/jpeg-1920-q90-metadata)
save_gesture=$(awk -F, '$1 ~ /^"save\/save-and-advance\/written-first/ && $1 ~ /_median"$/ { printf "%.1f", $3 }' "$work/bench.csv")
save_overlapped=$(awk -F, '$1 ~ /^"save\/save-and-advance\/while-advancing\// && $1 ~ /_median"$/ { printf "%.1f", $3 }' "$work/bench.csv")
save_confirmed=$(awk -F, '$1 ~ /^"save\/save-and-advance\/while-advancing-until-confirmed/ && $1 ~ /_median"$/ { printf "%.1f", $3 }' "$work/bench.csv")
r_vips=$(ratio "$q_ms" "$v_ms")
r_vips_plain=$(ratio "$qp_ms" "$vp_ms")
r_magick=$(ratio "$q_ms" "$m_ms")
full_verdict="$(verdict "$full" 150), stretch $(verdict "$full" 100)"

echo
echo "| measurement | median ms | peak RSS MB | target |"
echo "| --- | ---: | ---: | --- |"
echo "| decode 6000 × 4000 JPEG q92 | $decode | | |"
echo "| convert to working bitmap, whole picture | $convert | | ≤ 20 ms: $(verdict "$convert" 20) |"
echo "| render whole, auto levels | $whole | | ≤ 60 ms: $(verdict "$whole" 60) |"
echo "| render → 1920 wide, auto levels + correction + sharpen 1 | $full | | ≤ 150 ms (stretch ≤ 100 ms): $full_verdict |"
echo "| render → 1920 wide, nothing else | $plain | | |"
echo "| render 4000 × 4000 crop at full size, auto levels + sharpen 1 | $crop4000 | | ≤ 120 ms: $(verdict "$crop4000" 120) |"
echo "| first render of a newly opened picture → 1920 wide, auto levels + correction + sharpen 1 | $first_full | | |"
echo "| first render of a newly opened picture, 4000 × 4000 crop, auto levels + sharpen 1 | $first_crop | | |"
echo "| crop frame: one drag step (ns) | $drag | | ≤ 1000 ns: $(verdict "$drag" 1000) |"
echo "| crop frame: one hit test (ns) | $hits | | ≤ 1000 ns: $(verdict "$hits" 1000) |"
echo "| crop view repaint for one drag step, 6000 × 4000 fitted | $repaint | | ≤ 8 ms: $(verdict "$repaint" 8) |"
echo "| output preview while dragging: one frame step to its preview, 24 MP → 1920, levels + sharpen | ${preview:-n/a} | | ≤ 50 ms (20 a second): $(verdict "${preview:-999}" 50) |"
echo "| process start to window shown (whole run, offscreen) | $startup | | ≤ 500 ms: $(verdict "$startup" 500) |"
echo "| process start to the last photo reopened, 6000 × 4000 (whole run) | $reopen | | ≤ 300 ms: $(verdict "$reopen" 300) |"
echo "| read every setting at start | $settings_read | | ≤ 5 ms: $(verdict "$settings_read" 5) |"
echo "| write every setting at quit, into the store | $settings_write | | ≤ 5 ms: $(verdict "$settings_write" 5) |"
echo "| the same, with the file written, flushed to disk and checked | $settings_flush | | (the disk's flush) |"
echo "| read a library of 1,000 presets and rebuild the menu | $presets_read | | ≤ 50 ms: $(verdict "$presets_read" 50) |"
echo "| capture the current state and append it as a preset | $presets_add | | ≤ 5 ms: $(verdict "$presets_add" 5) |"
echo "| next picture after 1 s, with look-ahead | ${next_ahead:-n/a} | | ≤ render + 30 ms |"
echo "| next picture after 1 s, without look-ahead | ${next_plain:-n/a} | | |"
echo "| peak RSS walking the folder | | $walk_rss | ≤ 1000 MB: $(verdict "$walk_rss" 1000) |"
echo "| window: next photo (title, picture, preview output), after 1 s, → 1920 wide, auto levels + sharpen | ${window_next:-n/a} | ${window_rss:-n/a} | ≤ 50 ms: $(verdict "${window_next:-n/a}" 50); RSS ≤ 384 MB: $(verdict "${window_rss:-n/a}" 384) |"
echo "| quarter turn of the 6000 × 4000 source | $quarter | | ≤ 60 ms: $(verdict "$quarter" 60) |"
echo "| free rotation by 30° | $thirty | | ≤ 400 ms: $(verdict "$thirty" 400) |"
echo "| listing a folder of 10 000 files | $listing | | ≤ 200 ms: $(verdict "$listing" 200) |"
echo "| save 1920 × 1280 JPEG q90, no metadata | $save_plain | | ≤ 20 ms: $(verdict "$save_plain" 20) |"
echo "| save 1920 × 1280 JPEG q90, with metadata | $save_meta | | ≤ 40 ms: $(verdict "$save_meta" 40) |"
echo "| save and advance, full-size 6000 × 4000 output, written first (command line) | ${save_gesture:-n/a} | | |"
echo "| the same, written while the next photo shows (the window): until the photo shows | ${save_overlapped:-n/a} | | ≤ render + 60 ms |"
echo "| the same: until the write is confirmed (label, name, sound) | ${save_confirmed:-n/a} | | |"
echo "| end to end: quillum-cli | $q_ms | $q_mb$rss_note | peak RSS ≤ 400 MB: $(verdict "$q_mb" 400) |"
echo "| end to end: libvips (vips-pipeline --autolevels) | $v_ms | $v_mb$rss_note | |"
echo "| end to end: ImageMagick (convert-im6.q16) | $m_ms | $m_mb$rss_note | |"
echo "| quillum / libvips | ${r_vips} × | | ≤ 0.7 ×: $(verdict "$r_vips" 0.7) |"
echo "| end to end without levels: quillum-cli | $qp_ms | $qp_mb$rss_note | |"
echo "| end to end without levels: libvips (vips-pipeline) | $vp_ms | $vp_mb$rss_note | |"
echo "| quillum / libvips, without levels | ${r_vips_plain} × | | ≤ 1.0 ×: $(verdict "$r_vips_plain" 1.0) |"
echo "| quillum / ImageMagick | ${r_magick} × | | ≤ 0.2 ×: $(verdict "$r_magick" 0.2) |"
[[ -n $magick ]] || echo "(convert-im6.q16 not found: ImageMagick rows skipped)"
