#!/bin/bash
# End to end: the built program on a virtual X display, typed on as on a
# laptop without a numeric pad. With a US and then a Japanese keyboard layout
# types 52-18⏎, 12*3⏎ and 84/4⏎ with main-keyboard keys only (the minus key,
# Shift+8 or Shift+: for *, the slash key) and checks that each board shows
# the red answer and is, pixel for pixel (give or take a shade), the board the numeric pad's
# operators and Enter draw for the same expression. Then checks that an
# operator typed after an operator puts a hint on the board's status line.
# With LAPTOP_E2E_SHOTS set to a folder, the screenshots are kept there.
#
# Usage: laptop.sh BUILD_DIR
set -u

build=${1:?build directory}
exe="$build/hissan"

. "$(dirname "$0")/lib/display.bash"

if [ "${E2E_INNER:-}" != 1 ]; then
    e2e_need xvfb-run xdotool setxkbmap import convert compare
    [ -x "$exe" ] || { echo "FAIL: $exe not built"; exit 1; }
    e2e_workdir
    mkdir -p "$work/prog"
    cp "$exe" "$work/prog/hissan"
    printf '[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nHEIGHT=629\r\nWIDTH=975\r\nPANELFLAG=0\r\n' \
        >"$work/prog/pkt_m41.ini"
    e2e_run_on_display 170 "$build"
fi

# ---- inside the virtual display -------------------------------------------------
e2e_inside
prog="$WORK/prog/hissan"
shot="$WORK/shot.png"
keep() {
    [ -n "${LAPTOP_E2E_SHOTS:-}" ] && [ -f "$shot" ] && cp "$shot" "$LAPTOP_E2E_SHOTS/$1.png"
    return 0
}
fail() {
    echo "FAIL: $*"
    keep failed
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    exit 1
}

setxkbmap us || fail "setxkbmap us"
"$prog" 2>"$WORK/stderr" &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name "縦書き計算器" | head -n1)
[ -n "$win" ] || fail "the main window did not appear"
sleep 0.5
focus() { xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"; }
focus

# The board without the menu bar (the window stands at the top left), left
# of the face window (it blinks) and the keypad.
board=760x540+0+40
snap() { # NAME: the board now, as NAME.png
    sleep 1.5
    import -window root "$shot" || fail "no screenshot"
    convert "$shot" -crop "$board" +repage "$WORK/$1.png" || fail "cannot crop"
}
count() { # FILE COLOUR: pixels of exactly that colour
    convert "$1" -depth 8 -format %c histogram:info:- |
        sed -n 's/^ *\([0-9]*\):.*#\([0-9A-F]\{6\}\).*/\1 \2/p' |
        awk -v c="$2" '$2 == c { n += $1 } END { print n + 0 }'
}
type_keys() { # KEYSYMS...: one key after another
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.15
    done
}

# The reference boards, with the numeric pad's operators and Enter.
setxkbmap us
type_keys 5 2 KP_Subtract 1 8 KP_Enter
snap pad-52-18
type_keys Delete
type_keys 1 2 KP_Multiply 3 KP_Enter
snap pad-12x3
type_keys Delete
type_keys 8 4 KP_Divide 4 KP_Enter
snap pad-84d4
type_keys Delete

summary=""
for layout in us jp; do
    setxkbmap "$layout" || fail "setxkbmap $layout"
    sleep 0.3
    focus
    # The same keysyms on either layout: xdotool presses Shift where the
    # layout needs it (Shift+8 for * on US, Shift+: on Japanese).
    type_keys 5 2 minus 1 8 Return
    snap "$layout-52-18"
    type_keys Delete
    type_keys 1 2 asterisk 3 Return
    snap "$layout-12x3"
    type_keys Delete
    type_keys 8 4 slash 4 Return
    snap "$layout-84d4"
    type_keys Delete
    for e in 52-18 12x3 84d4; do
        red=$(count "$WORK/$layout-$e.png" FF0000)
        [ "$red" -gt 200 ] || { cp "$WORK/$layout-$e.png" "$shot"; fail "$layout $e: no red answer ($red)"; }
        # The division's bracket is drawn as it plays: its edge pixels may
        # blend a shade apart from one run to the next.
        diff=$(compare -metric AE -fuzz 10% "$WORK/$layout-$e.png" "$WORK/pad-$e.png" null: 2>&1)
        if [ "$diff" != 0 ]; then
            cp "$WORK/$layout-$e.png" "$shot"
            [ -n "${LAPTOP_E2E_SHOTS:-}" ] && cp "$WORK/pad-$e.png" "$LAPTOP_E2E_SHOTS/pad.png"
            fail "$layout $e: the board differs from the numeric pad's in $diff pixels"
        fi
        summary="$summary $layout:$e red $red;"
    done
done
keep boards

# An operator after an operator: the status line at the board's foot says why.
setxkbmap us
type_keys 5 2 minus asterisk
sleep 0.3
import -window root "$shot" || fail "no screenshot"
foot=$(convert "$shot" -crop 700x30+0+598 +repage "$WORK/foot.png" && count "$WORK/foot.png" FFFFFF)
[ "$foot" -gt 40 ] || fail "no hint on the status line after 52-* ($foot)"
keep hint

kill "$pid"
wait "$pid" 2>/dev/null
echo "PASS:$summary hint $foot"
exit 0
