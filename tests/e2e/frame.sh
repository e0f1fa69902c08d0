#!/bin/bash
# End to end, under a window manager that frames windows (twm): the stored
# window bounds are the outer frame. A file saying 700 x 500 opens a frame of
# 700 x 500 and is written back with the same numbers; "画面既定値サイズ" gives a
# frame of 840 x 780; with no settings file at all the first start opens at
# 840 x 780 too. Bounds past the ends of int and a frame of 30000 x 30000
# open a window on the screen, no larger than it, and are written back so.
#
# Usage: frame.sh BUILD_DIR
set -u

build=${1:?build directory}
exe="$build/hissan"

. "$(dirname "$0")/lib/display.bash"

if [ "${E2E_INNER:-}" != 1 ]; then
    e2e_need xvfb-run xdotool xwininfo twm
    [ -x "$exe" ] || { echo "FAIL: $exe not built"; exit 1; }
    e2e_workdir
    mkdir -p "$work/prog" "$work/fresh" "$work/huge"
    cp "$exe" "$work/prog/hissan"
    cp "$exe" "$work/fresh/hissan"
    cp "$exe" "$work/huge/hissan"
    printf '[FORMPOS]\r\nLEFT=2147483000\r\nTOP=-2147483648\r\nHEIGHT=30000\r\nWIDTH=30000\r\n' \
        >"$work/huge/pkt_m41.ini"
    printf '[FORMPOS]\r\nLEFT=40\r\nTOP=30\r\nHEIGHT=500\r\nWIDTH=700\r\nPANELFLAG=0\r\n' \
        >"$work/prog/pkt_m41.ini"
    e2e_run_on_display 120 "$build"
fi

# ---- inside the virtual display -------------------------------------------------
e2e_inside
twm -f /dev/null >/dev/null 2>&1 &
wm=$!
sleep 0.5
fail() {
    echo "FAIL: $*"
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    kill "$wm" 2>/dev/null
    exit 1
}

# Outer size of an X window, its border included.
outer_size() {
    xwininfo -id "$1" |
        awk '/Width:/ { w = $2 } /Height:/ { h = $2 } /Border width:/ { b = $3 }
             END { print w + 2 * b "x" h + 2 * b }'
}

# The outer frame of the program's main window: its ancestor just below the
# root window, which twm makes of a title bar and a border.
frame_size() {
    local w=$1 parent
    while :; do
        parent=$(xwininfo -tree -id "$w" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        [ -z "$parent" ] && break
        xwininfo -tree -id "$parent" | grep -q '^ *Parent window id: .*(the root window)' && {
            w=$parent
            break
        }
        w=$parent
    done
    outer_size "$w"
}

start() {
    "$1" 2>"$WORK/stderr" &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "縦書き計算器" | head -n1)
    [ -n "$win" ] || fail "the main window did not appear"
    sleep 1.5
}

quit() {
    xdotool windowfocus --sync "$win" 2>/dev/null
    xdotool key alt+f
    sleep 0.3
    xdotool key x
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program did not quit through its menu"
    wait "$pid"
    pid=
}

start "$WORK/prog/hissan"
client=$(outer_size "$win")
outer=$(frame_size "$win")
[ "$outer" != "$client" ] || fail "twm put no frame around the window ($outer)"
[ "$outer" = 700x500 ] || fail "stored 700 x 500 opened a frame of $outer (window $client)"
quit
grep -q "^WIDTH=700" "$WORK/prog/pkt_m41.ini" || fail "width written back as $(grep WIDTH= "$WORK/prog/pkt_m41.ini")"
grep -q "^HEIGHT=500" "$WORK/prog/pkt_m41.ini" || fail "height written back as $(grep HEIGHT= "$WORK/prog/pkt_m41.ini")"

# 黒板 > 画面既定値サイズ: a frame of 840 x 780.
start "$WORK/prog/hissan"
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key alt+f
sleep 0.3
xdotool key d
sleep 1.5
outer=$(frame_size "$win")
[ "$outer" = 840x780 ] || fail "the default size gave a frame of $outer"
quit

# A first start, with no settings file anywhere: 840 x 780 as well.
start "$WORK/fresh/hissan"
outer=$(frame_size "$win")
[ "$outer" = 840x780 ] || fail "the first start opened a frame of $outer"
quit
# Stored bounds far off the screen and far too large.
start "$WORK/huge/hissan"
outer=$(frame_size "$win")
w=${outer%x*}
h=${outer#*x}
{ [ "$w" -le 1280 ] && [ "$h" -le 1024 ]; } || fail "stored 30000 x 30000 opened a frame of $outer"
pos=$(xwininfo -id "$win" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
                               END { print x, y }')
read -r x y <<<"$pos"
{ [ "$x" -ge 0 ] && [ "$x" -lt 1280 ] && [ "$y" -ge 0 ] && [ "$y" -lt 1024 ]; } ||
    fail "stored bounds past the ends of int put the window at $x, $y"
quit
for key in LEFT TOP WIDTH HEIGHT; do
    value=$(sed -n "s/^$key=\([-0-9]*\).*/\1/p" "$WORK/huge/pkt_m41.ini")
    { [ "$value" -ge -100 ] && [ "$value" -le 1280 ]; } || fail "$key written back as $value"
done
kill "$wm" 2>/dev/null
echo "PASS: stored 700 x 500 frame kept, default size and first start 840 x 780, extreme bounds on the screen"
exit 0
