#!/usr/bin/env bash
# Times hissan-render writing 100 calculations to one PDF each (whole
# processes, as a teacher's worksheet script would run it).
# Usage: bench/render_many.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?build directory}
runs=${2:-3}
render="$build/hissan-render"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

expressions=()
for i in $(seq 1 25); do
  expressions+=("$((i * 37))+$((i * 91))" "$((i * 1234 + 5000))-$((i * 17))"
                "$((i * 13)).$((i % 10))5*$((i + 3))" "$((i * 4567))*$((i * 89))")
done

times=()
for r in $(seq 1 "$runs"); do
  start=$(date +%s.%N)
  for i in "${!expressions[@]}"; do
    "$render" -o "$out/sheet$i.pdf" "${expressions[$i]}" >/dev/null
  done
  end=$(date +%s.%N)
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {
  m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2;
  printf "hissan-render, 100 PDFs: median %.2f s over %d runs (%.1f ms per file)\n", m, NR, m * 10 }'
