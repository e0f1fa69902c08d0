#!/usr/bin/env bash
# Start-up to the first painted board of the program against a bare Qt window
# that paints a green board (bare_board): N rounds (default 5) of startup_bench's
# nine starts of each in turn on one X display; prints the medians of the
# rounds' medians and their ratio. Run under an X
# server, e.g. `xvfb-run -a -s '-screen 0 1280x1024x24' bench/startup_compare.sh build`.
# Usage: startup_compare.sh BUILD_DIR [N]
set -eu
build=$(cd "${1:?build directory}" && pwd)
n=${2:-5}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
once() {
    HISSAN_STARTUP_PROGRAM=${1:-} "$build/bench/startup_bench" --benchmark_format=csv 2>/dev/null |
        awk -F, '/_median"/ {print $3; exit}'
}
for _ in $(seq "$n"); do
    once "" >>"$tmp/ours"
    once "$build/bench/bare_board" >>"$tmp/bare"
done
median() { sort -g "$1" | awk '{a[NR] = $1} END {print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }
o=$(median "$tmp/ours")
b=$(median "$tmp/bare")
awk -v o="$o" -v b="$b" -v n="$n" 'BEGIN {
    printf "program: median %.1f ms to the first painted board over %d rounds\n", o, n
    printf "bare Qt window: median %.1f ms over %d rounds\n", b, n
    printf "ratio: %.2f\n", o / b
}'
