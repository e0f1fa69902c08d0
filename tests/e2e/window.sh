#!/bin/bash
# End to end: the built program on a virtual X display. Types 12+9 and Enter
# with xdotool, checks the screenshot for the green board with the expression
# and its red answer, checks that a second start leaves with 1 while the first
# runs, that F6 shows and hides the conditions dialog and Y the manual-step
# box, and that quitting through the menu writes the settings beside the
# program.
#
# Usage: window.sh BUILD_DIR
set -u

build=${1:?build directory}
exe="$build/hissan"

. "$(dirname "$0")/lib/display.bash"

if [ "${E2E_INNER:-}" != 1 ]; then
    e2e_need xvfb-run xdotool import convert
    [ -x "$exe" ] || { echo "FAIL: $exe not built"; exit 1; }
    e2e_workdir
    mkdir -p "$work/prog"
    cp "$exe" "$work/prog/hissan"
    printf '[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nHEIGHT=629\r\nWIDTH=975\r\nPANELFLAG=0\r\n' \
        >"$work/prog/pkt_m41.ini"
    e2e_run_on_display 120 "$build"
fi

# ---- inside the virtual display -------------------------------------------------
e2e_inside
prog="$WORK/prog/hissan"
shot="$WORK/shot.png"
fail() {
    echo "FAIL: $*"
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    exit 1
}

"$prog" 2>"$WORK/stderr" &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name "縦書き計算器" | head -n1)
[ -n "$win" ] || fail "the main window did not appear"
sleep 0.5
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"

# A second start shows nothing and leaves with 1 while the first runs.
timeout 20 "$prog"
second=$?
[ "$second" = 1 ] || fail "second start exited with $second, expected 1"
kill -0 "$pid" 2>/dev/null || fail "the first copy is gone after the second start"

# 12+9 with the operator on the numeric pad (NumLock on), then Enter.
xdotool key Num_Lock
xdotool key --delay 60 1 2 KP_Add 9 Return
sleep 1
import -window root "$shot" || fail "no screenshot"

# Colour counts of a region of the screenshot: "count colour" lines.
colours() {
    convert "$shot" -crop "$1" +repage -depth 8 -format %c histogram:info:- |
        sed -n 's/^ *\([0-9]*\):.*#\([0-9A-F]\{6\}\).*/\1 \2/p'
}
count() {
    colours "$1" | awk -v c="$2" '$2 == c { n += $1 } END { print n + 0 }'
}

# The window sits at (0, 0), 975 x 629. The expression line is the band
# below the menu bar; the written calculation lies below it.
board=$(count 900x560+0+60 008000)
[ "$board" -gt 300000 ] || fail "board is not blackboard green ($board green pixels)"
line_white=$(count 900x110+0+40 FFFFFF)
line_red=$(count 900x110+0+40 FF0000)
line_yellow=$(count 900x110+0+40 FFFF00)
[ "$line_white" -gt 200 ] || fail "no white digits on the expression line ($line_white)"
[ "$line_red" -gt 400 ] || fail "no red prompt and answer on the expression line ($line_red)"
[ "$line_yellow" -gt 100 ] || fail "no yellow + and = on the expression line ($line_yellow)"
below_white=$(count 900x300+0+180 FFFFFF)
[ "$below_white" -gt 300 ] || fail "no written calculation below the line ($below_white)"

# The answer stands right of "=": red pixels in the right part of the line.
answer_red=$(count 500x110+380+40 FF0000)
[ "$answer_red" -gt 200 ] || fail "no red answer after the equals sign ($answer_red)"

# Printing through the print dialog to a PDF file ("Print to File" is the
# printer of a machine without a print server): one page.
xdotool key alt+f
sleep 0.3
xdotool key p
pdlg=""
for _ in $(seq 50); do
    pdlg=$(xdotool search --onlyvisible --name "印刷" 2>/dev/null | grep -v "^$win\$" | head -n1)
    [ -n "$pdlg" ] && break
    sleep 0.1
done
[ -n "$pdlg" ] || fail "the print dialog did not appear"
sleep 0.5
xdotool key Return
pdf=""
for _ in $(seq 50); do
    pdf=$(find "$HOME" "$WORK/prog" -maxdepth 1 -name '*.pdf' 2>/dev/null | head -n1)
    [ -n "$pdf" ] && [ -s "$pdf" ] && break
    sleep 0.1
done
[ -n "$pdf" ] || fail "printing to a file wrote no PDF"
pages=$(grep -ac '/Type /Page$\|/Type /Page[^s]' "$pdf")
[ "$pages" = 1 ] || fail "the printed PDF has $pages pages, expected 1"

# F6 shows the conditions dialog with its controls, F6 again hides it.
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
xdotool key F6
dlg=""
for _ in $(seq 30); do
    dlg=$(visible "条件の設定")
    [ -n "$dlg" ] && break
    sleep 0.1
done
[ -n "$dlg" ] || fail "F6 did not show the conditions dialog"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dlg")"
import -window root "$shot" || fail "no screenshot"
# The display group is aqua, the trailing-zero boxes lime and fuchsia.
aqua=$(count "${WIDTH}x${HEIGHT}+${X}+${Y}" 00FFFF)
lime=$(count "${WIDTH}x${HEIGHT}+${X}+${Y}" 00FF00)
fuchsia=$(count "${WIDTH}x${HEIGHT}+${X}+${Y}" FF00FF)
[ "$aqua" -gt 3000 ] || fail "the dialog shows no aqua display group ($aqua)"
[ "$lime" -gt 1000 ] && [ "$fuchsia" -gt 1000 ] ||
    fail "the dialog shows no trailing-zero boxes (lime $lime, fuchsia $fuchsia)"
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
xdotool key F6
sleep 0.5
[ -z "$(visible "条件の設定")" ] || fail "F6 again did not hide the conditions dialog"

# Y shows the manual-step box, Y again hides it.
xdotool key Delete y
sleep 0.5
[ -n "$(visible "手動ステップ")" ] || fail "Y did not show the manual-step box"
xdotool key y
sleep 0.5
[ -z "$(visible "手動ステップ")" ] || fail "Y again did not hide the manual-step box"

# Quitting through the menu (黒板 > 終了) writes the settings beside the program.
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "the program did not quit through its menu"
fi
wait "$pid"
rc=$?
pid=
[ "$rc" = 0 ] || fail "the program exited with $rc"
grep -q "LEFT=" "$WORK/prog/pkt_m41.ini" || fail "settings were not written beside the program"
grep -q "PNTDSPFLAG=" "$WORK/prog/pkt_m41.ini" || fail "settings file is incomplete"

# After the first copy ended, the program starts again.
"$prog" 2>/dev/null &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name "縦書き計算器" | head -n1)
[ -n "$win" ] || fail "the program did not start again after the first copy ended"
kill "$pid"
wait "$pid" 2>/dev/null
echo "PASS: board green ($board), line white $line_white red $line_red yellow $line_yellow," \
    "calculation $below_white, answer $answer_red; second start exit $second;" \
    "printed $(basename "$pdf") ($pages page); conditions dialog aqua $aqua lime $lime" \
    "fuchsia $fuchsia; step box shown and hidden"
exit 0
