#!/bin/bash
# End to end: the shown tool windows stand clear of the drawn calculation and
# of each other. With the word-problem window on, 123456789*987654321 and
# 14/4 are typed on a window of 840 x 780 (the first-start size) and of
# 800 x 600; then the tool windows' frames are taken, the tool windows are
# unmapped, and the board's drawn extent is read off a screenshot: every
# pixel of the board that is not the board's green. No frame may meet the
# drawn extent or another frame. A wide product also scrolls sideways.
#
# Usage: clear.sh BUILD_DIR
set -u

build=${1:?build directory}
exe="$build/hissan"

. "$(dirname "$0")/lib/display.bash"

if [ "${E2E_INNER:-}" != 1 ]; then
    e2e_need xvfb-run xdotool xwininfo import convert
    [ -x "$exe" ] || { echo "FAIL: $exe not built"; exit 1; }
    e2e_workdir
    e2e_run_on_display 300 "$build"
fi

# ---- inside the virtual display -------------------------------------------------
e2e_inside
fail() {
    echo "FAIL: $*"
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    exit 1
}

# x y w h of a window (no window manager: its frame is the window).
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
                             /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}

# The bounding box "x0 y0 x1 y1" (inclusive, screen coordinates) of every
# pixel of the board in $1 that is not the blackboard's green: the board is
# what lies below the menu bar, left of the vertical scroll bar and above the
# sideways one when it shows.
drawn_extent() {
    local shot=$1 x y w h
    read -r x y w h <<<"$2"
    convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage txt:- | awk -v ox="$x" -v oy="$y" -v w="$w" -v h="$h" '
        NR > 1 {
            split($1, p, /[,:]/)
            px = p[1]; py = p[2]
            green = ($0 ~ /#008000/)
            if (px == 2 && top == "" && green) top = py
            if (px == 2 && green) lastGreen = py
            ink[px, py] = !green
        }
        END {
            if (top == "") { print "none"; exit }
            bottom = lastGreen          # above the sideways bar, if any
            right = w - 26              # left of the vertical bar
            x0 = w; y0 = h; x1 = -1; y1 = -1
            for (yy = top; yy <= bottom; yy++)
                for (xx = 0; xx <= right; xx++)
                    if (ink[xx, yy]) {
                        if (xx < x0) x0 = xx; if (xx > x1) x1 = xx
                        if (yy < y0) y0 = yy; if (yy > y1) y1 = yy
                    }
            if (x1 < 0) print "none"; else print x0 + ox, y0 + oy, x1 + ox, y1 + oy
        }'
}

overlap() { # x y w h  x0 y0 x1 y1 (inclusive)
    [ "$1" -le "$7" ] && [ $(($1 + $3 - 1)) -ge "$5" ] && [ "$2" -le "$8" ] && [ $(($2 + $4 - 1)) -ge "$6" ]
}

check() {
    local size=$1 expr=$2 dir="$WORK/$1-$3" w h
    w=${size%x*}
    h=${size#*x}
    mkdir -p "$dir"
    cp "$exe" "$build/hissan-speech.so" "$build/bunExPtrn.txt" "$dir/"
    printf '[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nHEIGHT=%s\r\nWIDTH=%s\r\n' "$h" "$w" >"$dir/pkt_m41.ini"
    "$dir/hissan" 2>"$dir/stderr" &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "縦書き計算器" | head -n1)
    [ -n "$win" ] || fail "the main window did not appear"
    sleep 1.5
    xdotool windowfocus --sync "$win" 2>/dev/null
    xdotool key z # the word-problem window on
    sleep 0.3
    local n k
    for ((n = 0; n < ${#expr}; n++)); do
        k=${expr:n:1}
        case $k in
        '*') xdotool key KP_Multiply ;;
        '/') xdotool key KP_Divide ;;
        *) xdotool key "$k" ;;
        esac
    done
    xdotool key Return
    sleep 5
    local tools=() t
    for t in $(xdotool search --onlyvisible --pid "$pid"); do
        [ "$t" = "$win" ] && continue
        tools+=("$t")
    done
    [ ${#tools[@]} -ge 2 ] || fail "$size $expr: only ${#tools[@]} tool windows showed"
    local frames=() names=()
    for t in "${tools[@]}"; do
        frames+=("$(geometry "$t")")
        names+=("$(xdotool getwindowname "$t")")
    done
    for t in "${tools[@]}"; do xdotool windowunmap "$t"; done
    sleep 0.5
    import -window root "$dir/shot.png"
    [ -n "${CLEAR_E2E_SHOTS:-}" ] && cp "$dir/shot.png" "$CLEAR_E2E_SHOTS/$size-$3.png"
    local extent
    extent=$(drawn_extent "$dir/shot.png" "$(geometry "$win")")
    [ "$extent" != none ] || fail "$size $expr: nothing drawn on the board"
    echo "$size $expr: drawn $extent"
    local i j
    for i in "${!frames[@]}"; do
        echo "  ${names[$i]}: ${frames[$i]}"
        # shellcheck disable=SC2086
        overlap ${frames[$i]} $extent && fail "$size $expr: ${names[$i]} (${frames[$i]}) covers the drawing ($extent)"
        for j in "${!frames[@]}"; do
            [ "$j" -le "$i" ] && continue
            read -r x y fw fh <<<"${frames[$j]}"
            # shellcheck disable=SC2086
            overlap ${frames[$i]} "$x" "$y" $((x + fw - 1)) $((y + fh - 1)) &&
                fail "$size $expr: ${names[$i]} and ${names[$j]} overlap"
        done
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
}

check 840x780 123456789*987654321 mul
check 840x780 14/4 div
check 800x600 123456789*987654321 mul
check 800x600 14/4 div
echo "PASS: the tool windows stand clear of the drawing and of each other at 840 x 780 and 800 x 600"
exit 0
