#!/usr/bin/env bash
# Worksheets from the command line: A4 pages, COLS x ROWS a page, answer pages
# after the problems, the header on every page, the calculations listed on
# standard output; a refused expression (exit 2) or a malformed option
# (exit 64) writes no file.
# Usage: sheet.sh BUILD_DIR
set -u
BIN="${1:?build directory}/hissan-render"
[ -x "$BIN" ] || { echo "sheet.sh: $BIN not built"; exit 1; }
for tool in pdfinfo pdftotext pdftoppm; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
unset QT_QPA_PLATFORM

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

run() {  # sets rc, out, err
    "$BIN" "$@" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    out=$(cat "$tmp/out")
    err=$(cat "$tmp/err")
}
pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }'; }

# ---- pages ------------------------------------------------------------------------
exprs=()
for i in $(seq 1 25); do exprs+=("$((100 + i * 31))*$((100 + i * 7))"); done
run --sheet 3x4 -o "$tmp/p.pdf" "${exprs[@]}"
[ "$rc" -eq 0 ] || fail "25 calculations: exit $rc ($err)"
[ "$(pages "$tmp/p.pdf")" = 3 ] || fail "25 calculations at 3x4 are not 3 pages: $(pages "$tmp/p.pdf")"
[ "$(wc -l <<<"$out")" -eq 25 ] || fail "not every calculation listed: $out"
[ "$(sed -n 1p <<<"$out")" = "131*107=14017" ] || fail "first listed: $(sed -n 1p <<<"$out")"
pdfinfo "$tmp/p.pdf" | grep -q 'Page size: *595\.[0-9]* x 841\.[0-9]*\|Page size: *595 x 842' ||
    fail "not A4 portrait: $(pdfinfo "$tmp/p.pdf" | grep 'Page size')"

run --sheet 3x4 --problems --answers --title "かけ算の練習" -o "$tmp/pa.pdf" "${exprs[@]}"
[ "$rc" -eq 0 ] || fail "--problems --answers: exit $rc ($err)"
[ "$(pages "$tmp/pa.pdf")" = 6 ] || fail "with answers not 6 pages: $(pages "$tmp/pa.pdf")"
for p in 1 4; do
    text=$(pdftotext -f $p -l $p "$tmp/pa.pdf" - 2>/dev/null)
    [[ "$text" == *"かけ算の練習"* ]] || fail "page $p has no title"
    [[ "$text" == *"$p / 6"* ]] || fail "page $p has no page number"
done
# A problem page has the class, name, date and a score box out of its
# problems; an answer page has none of them.
# (The font maps 月 日 to their radicals ⽉ ⽇ and ／ to ∕ in the text it gives.)
plain() { pdftotext -f "$1" -l "$1" "$2" - 2>/dev/null | sed 's/⽉/月/g; s/⽇/日/g; s/∕/／/g'; }
text=$(plain 1 "$tmp/pa.pdf")
for field in 年 組 番 名前 月 日 "／12"; do
    [[ "$text" == *"$field"* ]] || fail "the problem page has no '$field'"
done
[[ "$(plain 3 "$tmp/pa.pdf")" == *"／1"* ]] ||
    fail "the last problem page does not score out of its one problem"
text=$(plain 4 "$tmp/pa.pdf")
[[ "$text" != *"名前"* && "$text" != *"／"* ]] || fail "the answer page has a name line or a score box"
[[ "$(pdftotext -f 4 -l 4 "$tmp/pa.pdf" - 2>/dev/null)" == *"答え"* ]] ||
    fail "the answer pages do not say so"

# No answer on a problem page, neither after "=" nor in the columns (in the
# board's full-width digits); every answer on the answer pages.
problems_text=$(pdftotext -f 1 -l 3 "$tmp/pa.pdf" - 2>/dev/null)
answers_text=$(pdftotext -f 4 -l 6 "$tmp/pa.pdf" - 2>/dev/null)
while IFS='=' read -r e answer; do
    wide=$(sed 'y/0123456789/０１２３４５６７８９/' <<<"$answer")
    grep -qF -e "$answer" -e "$wide" <<<"$problems_text" && fail "the problems show the answer of $e"
    grep -qF -e "$answer" <<<"$answers_text" && grep -qF -e "$wide" <<<"$answers_text" ||
        fail "the answer pages lack the answer of $e"
done <<<"$out"
[[ "$problems_text" == *"１３１"* ]] || fail "the problems lack their numbers: $problems_text"

# A problem page is the answer page without the answers: the same numbers and
# rules, less ink; its header differs only in the title and page number.
pdftoppm -r 40 -gray -f 1 -l 1 "$tmp/pa.pdf" "$tmp/prob"
pdftoppm -r 40 -gray -f 4 -l 4 "$tmp/pa.pdf" "$tmp/ans"
if command -v convert >/dev/null; then
    ink() { convert "$1" -threshold 60% -negate -format '%[fx:mean*w*h]' info:; }
    prob_ink=$(ink "$tmp"/prob-*1.pgm)
    ans_ink=$(ink "$tmp"/ans-*4.pgm)
    awk -v p="$prob_ink" -v a="$ans_ink" 'BEGIN { exit !(p > 0 && a > 2 * p) }' ||
        fail "problem page ink $prob_ink is not well below the answer page's $ans_ink"
fi

# Divisions: the problem pages hold the bracket, divisor and dividend and the
# note of how far to work, no quotient and no remainder.
run --sheet 2x2 --problems --answers --set POINTMAX=1 --random 'dddd/dd' --count 4 --seed 3 \
    -o "$tmp/d.pdf"
[ "$rc" -eq 0 ] && [ "$(pages "$tmp/d.pdf")" = 2 ] || fail "division sheet: exit $rc ($err)"
[ "$(grep -c '^[1-9][0-9]\{3\}/[1-9][0-9]=' <<<"$out")" -eq 4 ] || fail "division sheet listed: $out"
dprob=$(pdftotext -f 1 -l 1 "$tmp/d.pdf" - 2>/dev/null)
dans=$(pdftotext -f 2 -l 2 "$tmp/d.pdf" - 2>/dev/null)
# Noto's CJK fonts map 小 to the Kangxi radical ⼩ (U+2F29) in the PDF's text
# layer, so the note is looked for with either character.
[[ "$dprob" == *"小数第"* || "$dprob" == *"⼩数第"* ]] || fail "the division problems lack the note of how far to work"
[[ "$dprob" != *"あまり"* ]] && [[ "$dans" == *"あまり"* ]] ||
    fail "the remainders are not on the answer page alone"

# ---- choices of random problems, squares, numbering ------------------------------------
run --sheet 3x4 --problems --answers --squares --numbering circle -o "$tmp/c.pdf" \
    --random 'ddd/d' --remainder yes --quotient-digits 3 --no-trivial --unique --count 24 --seed 8
[ "$rc" -eq 0 ] && [ "$(pages "$tmp/c.pdf")" = 4 ] || fail "chosen divisions: exit $rc ($err)"
while IFS='=' read -r e answer; do
    a=${e%/*} b=${e#*/}
    q=$((a / b)) r=$((a % b))
    [ "$answer" = "${q}R${r}" ] || fail "$e gave $answer, not ${q}R${r}"
    [ "$r" -ne 0 ] && [ ${#q} -eq 3 ] && [ "$b" -ne 1 ] || fail "$e does not meet the choices"
done <<<"$out"
[ "$(sort <<<"$out" | uniq -d)" = "" ] || fail "--unique repeated a problem"
[[ "$(pdftotext -f 1 -l 1 "$tmp/c.pdf" - 2>/dev/null)" == *"①"* ]] || fail "no circled numbers"
run --sheet 3x4 --problems --answers -o "$tmp/z.pdf" 1000-372 1000-999.5
text=$(pdftotext -f 2 -l 2 "$tmp/z.pdf" - 2>/dev/null | tr -d ' \n')
[[ "$text" == *"６２８"* && "$text" != *"０６２８"* ]] || fail "the answer page shows 0628: $text"
run --sheet 3x4 --problems --expression-only -o "$tmp/e.pdf" 123*45
[[ "$(pdftotext "$tmp/e.pdf" - 2>/dev/null | tr -d ' \n')" == *"１２３×４５＝"* ]] ||
    fail "--expression-only lacks the expression"
[ "$(pdftotext "$tmp/e.pdf" - 2>/dev/null | grep -c '^ *４ *５ *$')" -eq 0 ] ||
    fail "--expression-only sets the problem out in columns"
# A choice no problem meets is refused by name, quickly, and writes nothing.
for args in "--random 9d+9d --carry no" "--random d/d --carry yes" \
    "--random d+d --unique --count 82" "--random ddd-dd --decimals 2"; do
    start=$(date +%s)
    # shellcheck disable=SC2086
    run --sheet 3x4 -o "$tmp/none.pdf" $args
    [ "$rc" -eq 2 ] || fail "'$args' exited $rc, expected 2 ($err)"
    flag=$(awk '{ print $3 }' <<<"$args")
    [[ "$err" == *"$flag"* ]] || fail "'$args' does not name $flag: $err"
    [ ! -e "$tmp/none.pdf" ] || fail "'$args' wrote a sheet"
    [ $(($(date +%s) - start)) -lt 10 ] || fail "'$args' took $(($(date +%s) - start)) s"
done

# ---- sources: a file with comments, a random pattern ------------------------------------
printf '# たし算\n478+365\n\n2.75+8.6   # 小数\n1000-372\n' >"$tmp/list.txt"
run --sheet 2x2 -o "$tmp/f.pdf" --from "$tmp/list.txt" 12*3
[ "$rc" -eq 0 ] || fail "--from: exit $rc ($err)"
[ "$out" = $'12*3=36\n478+365=843\n2.75+8.6=11.35\n1000-372=628' ] || fail "--from listed: $out"

run --sheet 4x5 -o "$tmp/r1.pdf" --random 'ddd-ddd' --count 40 --seed 99
first=$out
[ "$rc" -eq 0 ] && [ "$(wc -l <<<"$out")" -eq 40 ] || fail "--random: exit $rc ($err)"
[ "$(pages "$tmp/r1.pdf")" = 2 ] || fail "40 at 4x5 are not 2 pages"
while IFS='=' read -r e answer; do
    [[ "$e" =~ ^[1-9][0-9]{2}-[1-9][0-9]{2}$ ]] || fail "$e is not of the pattern ddd-ddd"
    [[ "$answer" =~ ^[0-9]+$ ]] || fail "$e gave a negative or odd difference: $answer"
done <<<"$out"
run --sheet 4x5 -o "$tmp/r2.pdf" --random 'ddd-ddd' --count 40 --seed 99
[ "$out" = "$first" ] || fail "the same seed gave another sheet"
run --sheet 4x5 -o "$tmp/r3.pdf" --random 'ddd-ddd' --count 40 --seed 100
[ "$out" != "$first" ] || fail "another seed gave the same sheet"
run --sheet 2x2 -o "$tmp/r4.pdf" --random 'dd.d+d.dd'
[ "$rc" -eq 0 ] && [ "$(wc -l <<<"$out")" -eq 4 ] || fail "--random without --count is not one page"
[[ "$err" == *"--seed "* ]] || fail "a sheet of a chosen seed does not say the seed: $err"

# ---- refusals: no file ----------------------------------------------------------------
printf '12+9\n\n7-9\n' >"$tmp/bad.txt"
run --sheet 2x2 -o "$tmp/bad.pdf" --from "$tmp/bad.txt"
[ "$rc" -eq 2 ] || fail "a refused line: exit $rc"
[[ "$err" == *"bad.txt:3: 7-9: 引く数の方が大きい．"* ]] || fail "refusal without its line: $err"
[ -z "$out" ] || fail "a refused sheet listed calculations: $out"
run --sheet 2x2 -o "$tmp/bad.pdf" 12+9 5/0
[ "$rc" -eq 2 ] && [[ "$err" == *"expression 2: 5/0: ０で割ることはできません。"* ]] ||
    fail "refused argument: exit $rc, $err"
cp "$tmp/f.pdf" "$tmp/keep.pdf"
cp "$tmp/f.pdf" "$tmp/old.pdf"
run --sheet 2x2 -o "$tmp/old.pdf" 7-9
cmp -s "$tmp/old.pdf" "$tmp/keep.pdf" || fail "a refused sheet changed the file already there"
printf '# nothing yet\n\n' >"$tmp/empty.txt"
run --sheet 2x2 -o "$tmp/empty.pdf" --from "$tmp/empty.txt"
[ "$rc" -eq 2 ] && [[ "$err" == *"no expression"* ]] && [ ! -e "$tmp/empty.pdf" ] ||
    fail "a list of comments only: exit $rc, $err"
run --sheet 2x2 -o "$tmp/missing.pdf" --from "$tmp/no-such-file.txt"
[ "$rc" -eq 66 ] || fail "an unreadable --from file: exit $rc ($err)"
run --sheet 1x1 -o "$tmp/no/such/dir/x.pdf" 12+9
[ "$rc" -eq 73 ] || fail "an unwritable sheet: exit $rc ($err)"

# ---- --from: a byte-order mark is not part of the first line; what is no list is
# refused with exit 66 at once (a pipe waiting for a writer, an endless device)
printf '\xEF\xBB\xBF478+365\r\n1000-372\r\n' >"$tmp/bom.txt"
run --sheet 2x2 -o "$tmp/bom.pdf" --from "$tmp/bom.txt"
[ "$rc" -eq 0 ] && [ "$out" = $'478+365=843\n1000-372=628' ] || fail "a list with a BOM: exit $rc, $out ($err)"
mkfifo "$tmp/fifo"
mkdir "$tmp/folder"
not_lists=(
    "$tmp/fifo:is a pipe"
    "$tmp/folder:is a folder"
    "/dev/zero:is larger than 1 MB"
)
for case in "${not_lists[@]}"; do
    file=${case%%:*}
    # Limits, so that a reader that waits or reads on fails instead of hanging the tests.
    (ulimit -v 4000000 && timeout 10 "$BIN" --sheet 2x2 -o "$tmp/nolist.pdf" --from "$file") \
        >"$tmp/out" 2>"$tmp/err"
    rc=$?
    [ "$rc" -eq 66 ] || fail "--from $file: exit $rc, expected 66 ($(cat "$tmp/err"))"
    grep -qF "$file ${case#*:}" "$tmp/err" || fail "--from $file: $(cat "$tmp/err")"
    [ ! -e "$tmp/nolist.pdf" ] || fail "--from $file wrote a sheet"
done

# ---- malformed options: exit 64 ----------------------------------------------------------
bad_options=(
    "--sheet 0x4 -o $tmp/x.pdf 1+1"
    "--sheet 3x11 -o $tmp/x.pdf 1+1"
    "--sheet 3 -o $tmp/x.pdf 1+1"
    "--sheet 3x4 1+1"
    "--sheet 3x4 -o $tmp/x.png 1+1"
    "--sheet 3x4 -o $tmp/x.pdf"
    "--sheet 3x4 -o $tmp/x.pdf --answers 1+1"
    "--sheet 3x4 -o $tmp/x.pdf --random ddd"
    "--sheet 3x4 -o $tmp/x.pdf --random dd-ddd"
    "--sheet 3x4 -o $tmp/x.pdf --random d+d --count 0"
    "--sheet 3x4 -o $tmp/x.pdf --random d+d --seed -1"
    "--sheet 3x4 -o $tmp/x.pdf --carry yes 1+2"
    "--sheet 3x4 -o $tmp/x.pdf --random d+d --carry maybe"
    "--sheet 3x4 -o $tmp/x.pdf --random d/d --quotient-digits 0"
    "--sheet 3x4 -o $tmp/x.pdf --random d+d --decimals 11"
    "--sheet 3x4 -o $tmp/x.pdf --numbering roman 1+2"
    "--sheet 3x4 -o $tmp/x.pdf --expression-only 1+2"
    "-o $tmp/x.png --squares 1+2"
    "--sheet 3x4 -o $tmp/x.pdf --count 3 1+1"
    "--sheet 3x4 -o $tmp/x.pdf --scheme black 1+1"
    "--sheet 3x4 -o $tmp/x.pdf --rows 1+1"
    "--sheet 3x4 -o $tmp/x.pdf --problems=1 1+1"
    "--problems -o $tmp/x.pdf 1+1"
    "--from $tmp/list.txt -o $tmp/x.pdf"
)
for args in "${bad_options[@]}"; do
    # shellcheck disable=SC2086
    run $args
    [ "$rc" -eq 64 ] || fail "'$args' exited $rc, expected 64 ($err)"
    [[ "$err" == *usage:* ]] || fail "'$args' shows no usage line"
done
[ ! -e "$tmp/x.pdf" ] && [ ! -e "$tmp/x.png" ] || fail "a malformed command line wrote a file"
run --help
[[ "$out" == *"--sheet COLSxROWS"* ]] && [[ "$out" == *"--random PATTERN"* ]] ||
    fail "--help does not describe the worksheets"

if [ "$failures" -ne 0 ]; then
    echo "sheet.sh: $failures failure(s)"
    exit 1
fi
echo "sheet.sh: all passed"
