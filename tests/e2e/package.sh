#!/usr/bin/env bash
# The Debian package: CPack makes a .deb whose dependencies are the Debian
# packages of the libraries the programs link (found by dpkg-shlibdeps) and
# the Japanese board fonts; unpacked into a scratch root, its hissan-render
# draws and makes a worksheet from the data it ships.
# Usage: package.sh BUILD_DIR
set -u
build=${1:?build directory}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/out/hissan_*.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: no .deb made"; ls "$work/out"; exit 1; }
deb=${debs[0]}

depends=$(dpkg-deb -f "$deb" Depends)
for need in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6 \
    "fonts-noto-cjk | fonts-ipafont-gothic"; do
    [[ "$depends" == *"$need"* ]] || fail "Depends lacks $need: $depends"
done
# Every library the board links comes from a package the .deb depends on.
while read -r lib; do
    pkg=$(dpkg -S "$(readlink -f "$lib")" 2>/dev/null | head -n1 | cut -d: -f1)
    [ -z "$pkg" ] && continue
    [[ "$depends" == *"$pkg"* ]] || fail "$lib comes from $pkg, which Depends does not name"
done < <(objdump -p "$build/hissan" 2>/dev/null | awk '/NEEDED/ { print $2 }' |
    while read -r so; do ldconfig -p | awk -v so="$so" '$1 == so { print $NF; exit }'; done)
[ "$(dpkg-deb -f "$deb" Package)" = hissan ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = education ] || fail "package section"

contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/hissan ./usr/bin/hissan-render ./usr/share/applications/jp.hissan.Hissan.desktop \
    ./usr/share/metainfo/jp.hissan.Hissan.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/jp.hissan.Hissan.svg ./usr/share/hissan/examples/worksheet.txt; do
    grep -q " $f\$" <<<"$contents" || fail "the package lacks $f"
done
grep -q "tests\|_bench" <<<"$(grep ./usr/bin/ <<<"$contents")" && fail "the package holds test programs"

root="$work/root"
dpkg-deb -x "$deb" "$root"
render="$root/usr/bin/hissan-render"
answer=$(QT_QPA_PLATFORM= "$render" -o "$work/b.png" 123*45 2>"$work/err")
[ "$answer" = 5535 ] && [ -s "$work/b.png" ] || fail "the packaged hissan-render: '$answer' $(cat "$work/err")"
[[ "$("$render" --version)" == *"data: $root/usr/share/hissan"* ]] ||
    fail "the packaged hissan-render does not look in its share/hissan"
"$render" --sheet 2x3 --problems --answers -o "$work/s.pdf" \
    --from "$root/usr/share/hissan/examples/worksheet.txt" >/dev/null 2>"$work/err" && [ -s "$work/s.pdf" ] ||
    fail "the packaged example sheet: $(cat "$work/err")"

if [ "$failures" -ne 0 ]; then
    echo "package.sh: $failures failure(s)"
    exit 1
fi
echo "package.sh: all passed ($(basename "$deb"), $(stat -c %s "$deb") bytes)"
