#!/usr/bin/env bash
# The export tool's speech comes as a module: the tool itself needs no
# synthesiser, sound system or kanji dictionary; --reading loads the module;
# without the module a picture is still exported and a reading is refused
# with exit 69 and the reason, writing nothing.
# Usage: speech_module.sh BUILD_DIR
set -u
build=${1:?build directory}
BIN="$build/hissan-render"
[ -x "$BIN" ] || { echo "speech_module.sh: $BIN not built"; exit 1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

needed=$(readelf -d "$BIN" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')
for lib in espeak Multimedia kakasi Widgets pulse; do
    grep -qi "$lib" <<<"$needed" && fail "hissan-render links $lib: $needed"
done

out=$("$BIN" --reading 12+9 2>&1)
[ "$out" = $'21\nじゅうに たす きゅう イコール\nにじゅういち' ] || fail "--reading with the module: $out"

# The tool alone in a folder: no module beside it or under ../lib/hissan.
mkdir "$tmp/bin"
cp "$BIN" "$tmp/bin/"
"$tmp/bin/hissan-render" -o "$tmp/a.png" 12+9 >/dev/null 2>&1 && [ -s "$tmp/a.png" ] ||
    fail "without the module no picture was exported"
err=$("$tmp/bin/hissan-render" --reading -o "$tmp/b.png" 12+9 2>&1 >/dev/null)
rc=$?
[ "$rc" -eq 69 ] || fail "--reading without the module exited $rc"
[[ "$err" == *"speech module"* ]] || fail "--reading without the module says: $err"
[ ! -e "$tmp/b.png" ] || fail "--reading without the module wrote the picture"

[ "$failures" -eq 0 ] && echo "speech_module.sh: all passed"
exit $((failures > 0))
