#!/usr/bin/env bash
# Batch throughput, side by side in one run: 50 photos of 6000 x 4000 to 1920 wide, q90,
# auto levels and sharpen, on every core: quillum-cli batch, vips-pipeline two at a time
# (xargs -P), and ImageMagick's mogrify. Peak RSS is the process tree's, sampled.
#
#   scripts/bench-batch.sh BUILD_DIR     (BATCH_PHOTOS=N for another count; default 50)
set -euo pipefail
export LC_ALL=C
build=$(cd "${1:-build}" && pwd)
count=${BATCH_PHOTOS:-50}
jobs=$(nproc)
photo="$build/bench-data/photo-6000x4000.jpg"
[[ -f $photo ]] || "$build/bench/quillum-bench" --make-photo "$photo"
work=$(mktemp -d "${TMPDIR:-/tmp}/quillum-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"
for i in $(seq -w 1 "$count"); do ln "$photo" "$work/in/photo-$i.jpg" 2>/dev/null || cp "$photo" "$work/in/photo-$i.jpg"; done

# The summed RSS (kB) of a process and all its descendants.
tree_rss() {
  ps -e -o pid=,ppid=,rss= | awk -v root="$1" '{ parent[$1] = $2; rss[$1] = $3 }
    END { for (p in parent) { q = p; while ((q in parent) && q != root && q > 1) q = parent[q]; if (q == root) s += rss[p] }
          print s + 0 }'
}

# Runs "$@" and prints "seconds peak-MB", sampling the whole process tree's RSS.
measure() {
  local t0 t1 peak=0 pid rss
  t0=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    rss=$(tree_rss "$pid")
    if ((rss > peak)); then peak=$rss; fi
    sleep 0.1
  done
  wait "$pid" || true
  t1=$EPOCHREALTIME
  awk -v a="$t0" -v b="$t1" -v p="$peak" 'BEGIN { printf "%.2f %.0f\n", b - a, p / 1024 }'
}

read -r q_s q_mb < <(measure "$build/quillum-cli" batch "$work/in" --out "$work/q" --width 1920 --quality 90 \
  --autolevels --sharpen 1 --jobs "$jobs" --quiet)
mkdir -p "$work/v"
read -r v_s v_mb < <(measure bash -c "ls '$work/in'/*.jpg | xargs -P $jobs -I{} sh -c '\"$build/bench/vips-pipeline\" \"\$1\" \"$work/v/\$(basename \"\$1\")\" --width 1920 --quality 90 --autolevels' _ {}")
m_s=n/a; m_mb=n/a
if command -v mogrify-im6.q16 >/dev/null; then
  mkdir -p "$work/m"
  read -r m_s m_mb < <(measure mogrify-im6.q16 -path "$work/m" -auto-level -resize 1920x -sharpen 0x1 -quality 90 "$work/in"/*.jpg)
fi
written=$(ls "$work/q" | wc -l)
rate() { awk -v n="$count" -v s="$1" 'BEGIN { if (s == "n/a" || s == 0) print "n/a"; else printf "%.2f", n / s }'; }
q_r=$(rate "$q_s"); v_r=$(rate "$v_s"); m_r=$(rate "$m_s")
echo
echo "| $count photos 6000 × 4000 → 1920 wide, q90, auto levels + sharpen, $jobs at once | s | photos/s | peak RSS MB |"
echo "| --- | ---: | ---: | ---: |"
echo "| quillum-cli batch --jobs $jobs ($written written) | $q_s | $q_r | $q_mb |"
echo "| vips-pipeline, $jobs at a time | $v_s | $v_r | $v_mb |"
echo "| ImageMagick mogrify | $m_s | $m_r | $m_mb |"
awk -v q="$q_r" -v v="$v_r" -v m="$m_r" -v mb="$q_mb" -v j="$jobs" 'BEGIN {
  if (v != "n/a") printf "quillum / libvips: %.2f × (target ≥ 1.3 ×)\n", q / v;
  if (m != "n/a") printf "quillum / ImageMagick: %.1f × (target ≥ 8 ×)\n", q / m;
  printf "peak RSS %s MB (target ≤ %d MB)\n", mb, j * 150 + 100 }'
