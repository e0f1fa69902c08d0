#!/bin/bash
# The installed program: `cmake --install` into a scratch root puts the
# programs, their data, the menu entry, the AppStream metadata and the icons
# where a Linux desktop looks for them; the menu entry and the metadata pass
# their validators; the installed programs find their data in share/hissan;
# the installed board, whose folder it must not write to, keeps its settings
# in the user's configuration folder from one start to the next.
# Usage: install.sh BUILD_DIR
set -u
build=${1:?build directory}

if [ "${INSTALL_E2E_INNER:-}" != 1 ]; then
    failures=0
    fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
    for tool in desktop-file-validate appstreamcli; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
    done
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    root="$work/root"
    DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
        { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }
    id=jp.hissan.Hissan
    for f in bin/hissan bin/hissan-render share/applications/$id.desktop \
        share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
        share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/128x128/apps/$id.png \
        share/hissan/examples/worksheet.txt; do
        [ -s "$root/usr/$f" ] || fail "not installed: /usr/$f"
    done
    # Whatever data the source tree has goes to share/hissan.
    src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
    for d in help examples face faces pictures; do
        [ ! -d "$src/resources/$d" ] || [ -d "$root/usr/share/hissan/$d" ] ||
            fail "resources/$d is not installed to share/hissan"
    done
    [ ! -f "$src/resources/bunExPtrn.txt" ] || [ -s "$root/usr/share/hissan/bunExPtrn.txt" ] ||
        fail "the word-problem patterns are not installed to share/hissan"
    [ -x "$root/usr/bin/hissan" ] && [ -x "$root/usr/bin/hissan-render" ] ||
        fail "the programs are not executable"
    if command -v identify >/dev/null; then
        for n in 48 128; do
            [ "$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${n}x$n/apps/$id.png")" = "${n}x$n" ] ||
                fail "the ${n}px icon is not ${n}x$n"
        done
    fi

    desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry is not valid"
    appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
        { cat "$work/as.log"; fail "AppStream metadata is not valid"; }
    entry="$root/usr/share/applications/$id.desktop"
    grep -qx 'Exec=hissan' "$entry" && grep -qx "Icon=$id" "$entry" &&
        grep -qx 'Name=縦書き計算器' "$entry" && grep -qx 'Name\[en\]=Column Calculation Blackboard' "$entry" &&
        grep -qx 'Categories=Education;Math;' "$entry" || fail "desktop entry lacks its name, icon or categories"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
        "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metadata does not name the menu entry"

    # The installed tool looks in its own share/hissan before the source tree.
    version=$("$root/usr/bin/hissan-render" --version)
    data=$(sed -n 's/^data: //p' <<<"$version")
    [ "$(sed -n 1p <<<"$data")" = "$root/usr/bin" ] &&
        [ "$(sed -n 2p <<<"$data")" = "$root/usr/share/hissan" ] ||
        fail "installed hissan-render does not look in its share/hissan first: $version"
    out=$("$root/usr/bin/hissan-render" --sheet 2x3 -o "$work/sheet.pdf" \
        --from "$root/usr/share/hissan/examples/worksheet.txt" 2>&1)
    [ $? -eq 0 ] && [ -s "$work/sheet.pdf" ] || fail "the installed example sheet: $out"

    # The board itself, on a virtual display.
    if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
        fail "xvfb-run or xdotool is not installed"
    else
        mkdir -p "$work/home" "$work/runtime"
        chmod 700 "$work/runtime"
        INSTALL_E2E_INNER=1 ROOT="$root" WORK="$work" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
            timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$build" \
            >"$work/x.log" 2>&1
        rc=$?
        cat "$work/x.log"
        if [ ! -e "$work/started" ]; then
            echo "SKIP: Xvfb could not start (exit $rc); the installed board was not started"
        elif [ $rc -ne 0 ]; then
            fail "the installed board"
        fi
    fi
    if [ "$failures" -ne 0 ]; then
        echo "install.sh: $failures failure(s)"
        exit 1
    fi
    echo "install.sh: all passed"
    exit 0
fi

# ---- inside the virtual display ------------------------------------------------------
touch "$WORK/started"
export QT_QPA_PLATFORM=xcb
unset XDG_CONFIG_HOME
prog="$ROOT/usr/bin/hissan"
ini="$HOME/.config/hissan/pkt_m41.ini"
fail() {
    echo "FAIL: $*"
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    exit 1
}

# start, optionally type keys, quit through the menu (黒板 > 終了)
session() {
    "$prog" 2>>"$WORK/stderr" &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "縦書き計算器" | head -n1)
    [ -n "$win" ] || fail "the installed board did not appear"
    sleep 0.5
    xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
    if [ $# -gt 0 ]; then
        xdotool key --delay 100 "$@"
        sleep 0.3
    fi
    if command -v xprop >/dev/null; then
        xprop -id "$win" _NET_WM_ICON | grep -q 'Icon (64 x 64)' ||
            fail "the window has no icon"
    fi
    xdotool key alt+f
    sleep 0.3
    xdotool key x
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the installed board did not quit through its menu"
    wait "$pid"
    pid=
}

# First start: the carries switched off with A, then closed.
session a
[ -f "$ini" ] || fail "the settings were not written to $ini"
[ ! -e "$ROOT/usr/bin/pkt_m41.ini" ] || fail "the installed board wrote its settings into its bin folder"
grep -q $'^KURIAGARI=0\r$' "$ini" || fail "the changed setting was not written: $(grep KURIAGARI "$ini")"
# Second start and close: the setting is read back and kept.
session
grep -q $'^KURIAGARI=0\r$' "$ini" || fail "the second start lost the setting: $(grep KURIAGARI "$ini")"
[ ! -e "$ROOT/usr/bin/pkt_m41.ini" ] || fail "the second start wrote into the bin folder"
echo "PASS: installed board keeps its settings in $ini"
exit 0
