#!/usr/bin/env bash
# hissan-render's whole-process time for one small PDF against a bare Qt
# process that loads the same font (bare_font), run side by side N times
# (default 20) with /usr/bin/time; prints both medians in seconds and their
# ratio.
# Usage: render_startup.sh BUILD_DIR [N]
set -eu
build=${1:?build directory}
n=${2:-20}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for _ in $(seq "$n"); do
    /usr/bin/time -f %e -a -o "$tmp/render" "$build/hissan-render" -o "$tmp/x.pdf" '123*45' >/dev/null
    /usr/bin/time -f %e -a -o "$tmp/bare" "$build/bench/bare_font"
done
median() { sort -n "$1" | awk '{a[NR] = $1} END {print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }
r=$(median "$tmp/render")
b=$(median "$tmp/bare")
echo "hissan-render -o x.pdf 123*45: median ${r}s over $n runs"
echo "bare Qt process with the font:  median ${b}s over $n runs"
awk -v r="$r" -v b="$b" 'BEGIN {printf "ratio: %.2f\n", r / b}'
