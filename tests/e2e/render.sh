#!/usr/bin/env bash
# The worksheet export tool from the command line: answers on stdout, the
# program's refusals with exit 2, usage errors with exit 64, PNG, SVG and PDF
# files that are what their names say, and on a full disk exit 73 with every
# file already there left as it was.
# Usage: render.sh BUILD_DIR
set -u
BIN="${1:?build directory}/hissan-render"
[ -x "$BIN" ] || { echo "render.sh: $BIN not built"; exit 1; }
unset QT_QPA_PLATFORM  # the tool must choose the offscreen platform itself
# A private mount namespace, where the full-disk cases mount a small tmpfs
# that goes away with the script however it ends.
if [ -z "${RENDER_SH_PRIVATE:-}" ] && unshare -m true 2>/dev/null; then
    RENDER_SH_PRIVATE=1 exec unshare -m bash "$0" "$@"
fi

tmp=$(mktemp -d)
trap 'umount "$tmp/full" 2>/dev/null; rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run ARGS...: sets rc, out, err
run() {
    "$BIN" "$@" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    out=$(cat "$tmp/out")
    err=$(cat "$tmp/err")
}

expect() {  # expect RC [STDERR-SUBSTRING] -- ARGS...
    local want=$1 text=$2
    shift 3
    run "$@"
    [ "$rc" -eq "$want" ] || fail "$* exited $rc, expected $want (stderr: $err)"
    if [ -n "$text" ] && [[ "$err" != *"$text"* ]]; then
        fail "$*: stderr lacks '$text': $err"
    fi
}

# ---- answers ------------------------------------------------------------------
run 12+9
[ "$rc" -eq 0 ] && [ "$out" = "21" ] || fail "12+9 gave rc $rc, '$out' ($err)"
[ -z "$err" ] || fail "12+9 wrote to stderr: $err"
run 1.25+3.75=
[ "$rc" -eq 0 ] && [ "$out" = "5" ] || fail "1.25+3.75= gave rc $rc, '$out'"
run --rows 12+9
[ "$(sed -n 1p <<<"$out")" = "21" ] || fail "--rows: first line is not the answer: $out"
[ "$(sed -n 2p <<<"$out")" = "◆12+9=21" ] || fail "--rows: expression line: $out"
run --set KURIAGARI=0 --rows 19+3
grep -qx ' *1' <<<"$out" && fail "KURIAGARI=0 still draws the carry: $out"
run 10-9  # the columns keep 01; the answer is 1
[ "$rc" -eq 0 ] && [ "$out" = "1" ] || fail "10-9 gave rc $rc, '$out'"
run １２×３＝  # digits and signs as a Japanese input method writes them
[ "$rc" -eq 0 ] && [ "$out" = "36" ] || fail "１２×３＝ gave rc $rc, '$out' ($err)"
# ---- division: quotient, R and the remainder; the rounded answer alone -------
for case in "14/4=3R2" "1.23/0.4=3R0.03" "7/8=0R7" "1005/5=201"; do
    run "${case%%=*}"
    [ "$rc" -eq 0 ] && [ "$out" = "${case#*=}" ] || fail "${case%%=*} gave rc $rc, '$out' ($err)"
done
run --set POINTMAX=1 12/5
[ "$out" = "2.4" ] || fail "12/5 to one place gave '$out'"
run --set SHOU_ITI=1 --set POINTMAX=3 2/3
[ "$out" = "0.67" ] || fail "2/3 rounded at the third place gave '$out'"
run --set SHOU_ITI=2 1/8
[ "$out" = "0.125" ] || fail "1/8 until exact gave '$out'"
run --set MatsubiZeroWari=1 1250/300
[ "$out" = "4R50" ] || fail "1250/300 with zeros cancelled gave '$out'"
run --set SHOU0_DSP=1 --set SYOUPTLNDSP=1 41/4
[ "$out" = "10R1" ] || fail "41/4 with the zero row gave '$out'"
run --set KAIGYO_FLAG=1 --rows 12+9
[ "$(sed -n 3p <<<"$out")" = " =21" ] || fail "KAIGYO_FLAG=1: answer not on its own line: $out"

# ---- refusals: the program's own messages, exit 2 -------------------------------
expect 2 "引く数の方が大きい．" -- 7-9
[ -z "$out" ] || fail "7-9 printed an answer: $out"
expect 2 "０で割ることはできません。" -- 5/0
expect 2 "Keta Over!!" -- 1234567890123456789+1
expect 2 "割る数、割られる数は１７桁以下までです。残念！" -- 123456789012345678/2
expect 2 "4文字目" -- 1.2.3+1
expect 2 "式ができていないので計算できません: 演算子の後に数が必要です。" -- 12+
[[ "$err" != *文字目* ]] || fail "12+: the '=' the tool adds is counted as typed: $err"
expect 2 "3文字目の「=」" -- 12=
expect 2 "使えない文字" -- 12x3
expect 2 "演算子の前に数を入力します。" -- -5+3  # an expression, not an unknown option
expect 2 "2文字目の「Ａ」" -- 1Ａ2
expect 2 '1文字目の「\xFF」' -- $'\xff'
expect 2 "＜オーバーフロウ＞" -- --set POINTMAX=2 99999999999999999/123456789
[ -z "$out" ] || fail "the division overflow printed an answer: $out"

# ---- malformed command lines: exit 64 with the usage line -----------------------
expect 64 "usage:" -- --bogus 1+1
expect 64 "usage:" -- --set POINTMAX=11 1+1
expect 64 "usage:" -- --set NOPE=1 1+1
expect 64 "usage:" -- --set KURIAGARI 1+1
expect 64 "usage:" -- --font-size 99 1+1
expect 64 "usage:" -- --scheme green 1+1
expect 64 "usage:" -- --sheet 1x1 -o "$tmp/s.pdf" --scheme contrast 1+1
expect 64 "usage:" -- -o "$tmp/x.txt" 1+1
expect 64 "usage:" -- --set SHOU_ITI=1 --set POINTMAX=0 1/3
expect 64 "usage:" --
expect 64 "usage:" -- 1+1 2+2
expect 0 "" -- --help
[[ "$out" == *"--set KEY=VALUE"* ]] || fail "--help does not list the options"

# ---- files ------------------------------------------------------------------------
expect 0 "" -- -o "$tmp/b.png" --scheme black 12+9
expect 0 "" -- -o "$tmp/c.png" --scheme contrast 52-18
[ "$(head -c 8 "$tmp/b.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
    fail "b.png is not a PNG"
expect 0 "" -- -o "$tmp/w.svg" 12+9
grep -q '<svg' "$tmp/w.svg" || fail "w.svg is not SVG"
expect 0 "" -- -o "$tmp/w.pdf" --font-size 20 12+9
[ "$(head -c 5 "$tmp/w.pdf")" = "%PDF-" ] && tail -c 32 "$tmp/w.pdf" | grep -q '%%EOF' ||
    fail "w.pdf is not a complete PDF"
expect 0 "" -- -o "$tmp/w.png" 12+9
if command -v convert >/dev/null; then
    # The board's own size holds the whole layout; the corner shows the scheme.
    size=$(convert "$tmp/w.png" -format '%w %h' info:)
    read -r w h <<<"$size"
    [ "$w" -ge 300 ] && [ "$h" -ge 300 ] || fail "w.png is only ${w}x$h"
    [ "$(convert "$tmp/b.png" -format '%[pixel:p{1,1}]' info:)" = "srgb(0,128,0)" ] ||
        fail "black scheme is not the green board"
    [ "$(convert "$tmp/c.png" -format '%[pixel:p{1,1}]' info:)" = "srgb(0,72,32)" ] ||
        fail "contrast scheme is not the deep green board"
    # Its pink answer and orange borrow marks.
    hist=$(convert "$tmp/c.png" -depth 8 -format %c histogram:info:-)
    grep -q "#FF96D2" <<<"$hist" || fail "contrast scheme: no pink answer"
    grep -q "#FFAA32" <<<"$hist" || fail "contrast scheme: no orange borrow marks"
    case "$(convert "$tmp/w.png" -format '%[pixel:p{1,1}]' info:)" in
        white | "srgb(255,255,255)") ;;
        *) fail "white scheme is not white" ;;
    esac
    convert "$tmp/w.svg" "$tmp/svg.png" 2>/dev/null || fail "w.svg does not render"
fi
expect 73 "cannot write" -- -o "$tmp/no/such/dir/x.png" 12+9
[ -z "$out" ] || fail "a failed write still printed the answer"
for ext in png svg pdf; do
    expect 2 "" -- -o "$tmp/refused.$ext" 7-9
    [ ! -e "$tmp/refused.$ext" ] || fail "a refused expression still wrote refused.$ext"
done

# ---- a full disk: exit 73, the old file as it was, nothing left behind ------------
# Each kind of output written over an old file on a tmpfs with some KiB free,
# enough for its first writes but not for the whole file, then with room enough.
full_cases=(
    # KiB free, the option naming the file, the file, the other arguments
    "16 -o board.png --font-size 50 123456789*987654321"
    "16 -o board.svg --font-size 50 123456789*987654321"
    "4 -o board.pdf --font-size 50 123456789*987654321"
    "4 -o sheet.pdf --sheet 3x4 --random ddd*dd --count 24 --seed 1"
    "16 --speak reading.wav 12+9"
)
mkdir "$tmp/full"
if ! mount -t tmpfs -o size=1m tmpfs "$tmp/full" 2>"$tmp/err"; then
    echo "SKIP: the full-disk cases need to mount a tmpfs: $(cat "$tmp/err")"
else
    for case in "${full_cases[@]}"; do
        read -r free option name args <<<"$case"
        dir="$tmp/full"
        rm -rf "${dir:?}"/* "$dir"/.[!.]*
        printf 'the %s made yesterday\n' "$name" >"$dir/$name"
        chmod 640 "$dir/$name"
        cp -p "$dir/$name" "$tmp/old"
        head -c 2M /dev/zero >"$dir/fill" 2>/dev/null
        truncate -s "-${free}K" "$dir/fill"
        # shellcheck disable=SC2086
        run $option "$dir/$name" $args
        [ "$rc" -eq 73 ] || fail "$case on a full disk exited $rc, expected 73 ($err)"
        [[ "$err" == *"cannot write $dir/$name: "?* ]] || fail "$case on a full disk: stderr $err"
        [ -z "$out" ] || fail "$case on a full disk printed $out"
        cmp -s "$dir/$name" "$tmp/old" || fail "$case on a full disk changed the old $name"
        left=$(cd "$dir" && ls -A | grep -vx -e fill -e "$name")
        [ -z "$left" ] || fail "$case on a full disk left $left"
        rm "$dir/fill"
        # shellcheck disable=SC2086
        run $option "$dir/$name" $args
        [ "$rc" -eq 0 ] && ! cmp -s "$dir/$name" "$tmp/old" ||
            fail "$case with room enough: exit $rc ($err)"
        [ "$(stat -c %a "$dir/$name")" = 640 ] || fail "$case lost the old file's permissions"
    done
    umount "$tmp/full"
fi

if [ "$failures" -ne 0 ]; then
    echo "render.sh: $failures failure(s)"
    exit 1
fi
echo "render.sh: all passed"
