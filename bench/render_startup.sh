#!/usr/bin/env bash
# hissan-render's whole-process time for one small PDF against a bare Qt
# process that loads the same font (bare_font), run side by side N times
# (default 20) under /usr/bin/time; prints both medians and their ratio.
# /usr/bin/time's own clock counts hundredths, so each run's wall time is also
# taken in milliseconds around it.
# Usage: render_startup.sh BUILD_DIR [N] [EXPRESSION]
set -eu
build=${1:?build directory}
n=${2:-20}
expr=${3:-123*45}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ms() { date +%s%N; }
for _ in $(seq "$n"); do
    t0=$(ms)
    /usr/bin/time -f %e -a -o "$tmp/render.time" "$build/hissan-render" -o "$tmp/x.pdf" "$expr" >/dev/null
    t1=$(ms)
    /usr/bin/time -f %e -a -o "$tmp/bare.time" "$build/bench/bare_font" 2>/dev/null
    t2=$(ms)
    echo $(((t1 - t0) / 1000)) >>"$tmp/render"
    echo $(((t2 - t1) / 1000)) >>"$tmp/bare"
done
median() { sort -n "$1" | awk '{a[NR] = $1} END {print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }
r=$(median "$tmp/render")
b=$(median "$tmp/bare")
awk -v r="$r" -v b="$b" -v rt="$(median "$tmp/render.time")" -v bt="$(median "$tmp/bare.time")" \
    -v n="$n" -v e="$expr" 'BEGIN {
        printf "hissan-render -o x.pdf %s: median %.1f ms (time: %s s) over %d runs\n", e, r / 1000, rt, n
        printf "bare Qt process with the font: median %.1f ms (time: %s s) over %d runs\n", b / 1000, bt, n
        printf "ratio: %.2f\n", r / b
    }'
