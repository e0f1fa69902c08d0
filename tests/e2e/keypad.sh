#!/bin/bash
# End to end: the built program on a virtual X display, used with the mouse
# only. Clicks the on-screen keypad's buttons for 1 4 ÷ 4 ＝ with xdotool and
# checks the board for the expression and the red answer; with the "文" panel
# switched on first, checks that the word-problem window shows its story
# (blue title and expression, red headings) from the pattern file beside the
# program, that the keypad's erase hides it, and that the keyboard is the
# board's again after the clicks. With KEYPAD_E2E_SHOTS set to a folder, the
# screenshot is kept there.
#
# Usage: keypad.sh BUILD_DIR
set -u

build=${1:?build directory}
exe="$build/hissan"

. "$(dirname "$0")/lib/display.bash"

if [ "${E2E_INNER:-}" != 1 ]; then
    e2e_need xvfb-run xdotool import convert
    [ -x "$exe" ] || { echo "FAIL: $exe not built"; exit 1; }
    [ -f "$build/bunExPtrn.txt" ] || { echo "FAIL: the pattern file is not beside $exe"; exit 1; }
    e2e_workdir
    mkdir -p "$work/prog"
    cp "$exe" "$build/bunExPtrn.txt" "$work/prog/"
    # The board at the top left, the word-problem window below it.
    printf '[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nHEIGHT=629\r\nWIDTH=975\r\nPANELFLAG=0\r\n[BFORMPOS]\r\nBLEFT=60\r\nBTOP=660\r\n' \
        >"$work/prog/pkt_m41.ini"
    e2e_run_on_display 120 "$build"
fi

# ---- inside the virtual display -------------------------------------------------
e2e_inside
prog="$WORK/prog/hissan"
shot="$WORK/shot.png"
fail() {
    echo "FAIL: $*"
    [ -n "${KEYPAD_E2E_SHOTS:-}" ] && [ -f "$shot" ] && cp "$shot" "$KEYPAD_E2E_SHOTS/keypad.png"
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    exit 1
}

"$prog" 2>"$WORK/stderr" &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name "縦書き計算器" | head -n1)
[ -n "$win" ] || fail "the main window did not appear"
pad=$(timeout 20 xdotool search --sync --onlyvisible --name "入力パネル" | head -n1)
[ -n "$pad" ] || fail "the keypad did not appear"
sleep 0.5
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
# The "文" panel on (Z), before anything is typed.
xdotool key z
sleep 0.3

# Button centres in the keypad's client area.
press() {
    xdotool mousemove --window "$pad" "$1" "$2" click 1
    sleep 0.25
}
press 16 105  # １
press 16 76   # ４
press 45 18   # ÷
press 16 76   # ４
press 74 134  # ＝
sleep 1.5
import -window root "$shot" || fail "no screenshot"
[ -n "${KEYPAD_E2E_SHOTS:-}" ] && cp "$shot" "$KEYPAD_E2E_SHOTS/keypad.png"

colours() {
    convert "$shot" -crop "$1" +repage -depth 8 -format %c histogram:info:- |
        sed -n 's/^ *\([0-9]*\):.*#\([0-9A-F]\{6\}\).*/\1 \2/p'
}
count() {
    colours "$1" | awk -v c="$2" '$2 == c { n += $1 } END { print n + 0 }'
}

# The board: white digits and yellow signs on the expression line, the red
# answer after "=", the written calculation below.
line_white=$(count 700x110+0+40 FFFFFF)
line_yellow=$(count 700x110+0+40 FFFF00)
answer_red=$(count 400x110+420+40 FF0000)
below_white=$(count 700x300+0+180 FFFFFF)
[ "$line_white" -gt 200 ] || fail "no digits typed by the keypad ($line_white)"
[ "$line_yellow" -gt 100 ] || fail "no × and = typed by the keypad ($line_yellow)"
[ "$answer_red" -gt 200 ] || fail "no red answer after the equals sign ($answer_red)"
[ "$below_white" -gt 300 ] || fail "no written calculation below the line ($below_white)"

# The word-problem window with its story.
story=$(xdotool search --onlyvisible --name "文章題の例文" | head -n1)
[ -n "$story" ] || fail "the word-problem window is not shown"
eval "$(xdotool getwindowgeometry --shell "$story")"
area="${WIDTH}x${HEIGHT}+${X}+${Y}"
story_white=$(count "$area" FFFFFF)
story_blue=$(count "$area" 0000FF)
story_red=$(count "$area" FF0000)
story_black=$(count "${WIDTH}x120+${X}+$((Y + 55))" 000000)
[ "$story_white" -gt 150000 ] || fail "the word-problem window is not white ($story_white)"
[ "$story_blue" -gt 1000 ] || fail "no blue title, expression and answer ($story_blue)"
[ "$story_red" -gt 500 ] || fail "no red headings ($story_red)"
[ "$story_black" -gt 500 ] || fail "no story lines ($story_black)"

# Erasing from the keypad hides the story again.
press 123 76  # 消去D
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name "文章題の例文" | head -n1)" ] ||
    fail "消去D left the word-problem window on screen"

# The keypad gave the keyboard back to the board: a typed digit lands there.
xdotool key 7
sleep 0.5
import -window root "$shot" || fail "no screenshot"
typed_white=$(count 700x110+0+40 FFFFFF)
[ "$typed_white" -gt 100 ] || fail "a key typed after the keypad did not reach the board"

kill "$pid"
wait "$pid" 2>/dev/null
echo "PASS: line white $line_white yellow $line_yellow, answer $answer_red, calculation" \
    "$below_white; story white $story_white blue $story_blue red $story_red black $story_black"
exit 0
