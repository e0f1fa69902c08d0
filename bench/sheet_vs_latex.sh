#!/usr/bin/env bash
# 100 written multiplications (3 digits x 3 digits) to PDF, three ways, side
# by side in one run:
#   sheet   one hissan-render process writing one worksheet PDF (4x5 a page)
#   single  100 hissan-render processes writing one PDF each
#   latex   pdflatex of one document with 100 \opmul of the LaTeX package xlop,
#           on the same grid: 4 across, 5 down, 5 pages
# Prints the median of each over RUNS rounds (whole processes), the ratios and
# the sizes of the two sheets.
# pdflatex and xlop (texlive-latex-base, texlive-plain-generic) are installed
# here when missing: they are for this comparison only, never for the tests.
# Usage: bench/sheet_vs_latex.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?build directory}
runs=${2:-10}
render="$build/hissan-render"
[ -x "$render" ] || { echo "$render is not built"; exit 1; }

if ! command -v pdflatex >/dev/null || ! kpsewhich xlop.sty >/dev/null 2>&1; then
  echo "installing pdflatex and xlop for the comparison..."
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends texlive-latex-base texlive-plain-generic >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM

# The same 100 products for all three.
exprs=()
for i in $(seq 0 99); do
  exprs+=("$((100 + (i * 379 + 123) % 900))*$((100 + (i * 613 + 457) % 900))")
done
{
  echo '\documentclass[a4paper]{article}'
  echo '\usepackage[margin=12mm]{geometry}'
  echo '\usepackage{xlop}'
  echo '\pagestyle{empty}\begin{document}\noindent'
  for i in "${!exprs[@]}"; do
    a=${exprs[$i]%\**}
    b=${exprs[$i]#*\*}
    echo "\\begin{minipage}[t][0.18\\textheight][t]{0.24\\textwidth}\\opmul[style=display]{$a}{$b}\\end{minipage}"
    if [ $(((i + 1) % 20)) -eq 0 ]; then echo '\newpage\noindent'
    elif [ $(((i + 1) % 4)) -eq 0 ]; then echo '\par\noindent'; fi
  done
  echo '\end{document}'
} >"$work/products.tex"  # not xlop.tex: the package reads a file of that name

now() { date +%s.%N; }
sheet=() single=() latex=()
for r in $(seq 1 "$runs"); do
  t0=$(now)
  "$render" --sheet 4x5 -o "$work/sheet.pdf" "${exprs[@]}" >/dev/null
  t1=$(now)
  for i in "${!exprs[@]}"; do "$render" -o "$work/one$i.pdf" "${exprs[$i]}" >/dev/null; done
  t2=$(now)
  (cd "$work" && pdflatex -interaction=batchmode -halt-on-error products.tex >/dev/null)
  t3=$(now)
  sheet+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')")
  single+=("$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')")
  latex+=("$(awk -v a="$t2" -v b="$t3" 'BEGIN { print b - a }')")
done
[ -s "$work/products.pdf" ] || { echo "pdflatex made no PDF"; exit 1; }

median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END {
  print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
ms=$(median "${sheet[@]}")
mo=$(median "${single[@]}")
ml=$(median "${latex[@]}")
pages=$(pdfinfo "$work/sheet.pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
lpages=$(pdfinfo "$work/products.pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
awk -v s="$ms" -v o="$mo" -v l="$ml" -v n="$runs" -v p="${pages:-?}" -v lp="${lpages:-?}" \
    -v ss="$(stat -c %s "$work/sheet.pdf")" -v ls="$(stat -c %s "$work/products.pdf")" 'BEGIN {
  printf "100 products (3 x 3 digits) to PDF, median of %d rounds:\n", n
  printf "  worksheet, one process (%s pages)  %8.3f s\n", p, s
  printf "  100 single-file runs              %8.3f s  (%.1f x the worksheet)\n", o, o / s
  printf "  pdflatex + xlop (%s pages)         %8.3f s  (%.1f x the worksheet)\n", lp, l, l / s
  printf "PDF size: worksheet %d bytes, pdflatex + xlop %d bytes (%.2f x)\n", ss, ls, ss / ls
}'
