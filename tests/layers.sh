#!/usr/bin/env bash
# The layers of the source tree, as the build links them: a folder includes
# only headers of the folders below it, and the engine and the core include
# neither Qt nor what a browser lacks (threads, files by path, the shell,
# iconv, kakasi). Checks the tree, after checking on a planted tree that each
# kind of fault is found.
# Usage: layers.sh SOURCE_DIR
set -u
src=${1:?source directory}

# The project folders each folder may include from, itself first.
declare -A allowed=(
    [hissan]="hissan"
    [core]="core hissan"
    [native]="native core"
    [ui]="ui core hissan"
    [dialogs]="dialogs ui core hissan"
    [speech]="speech ui core hissan"
    [app]="app dialogs speech ui core hissan"
    [tools]="tools ui core hissan"
    [wasm]="wasm core hissan"
)
# Besides: the export tool knows the speech module's table, not the speech.
exception='^tools/[^:]*:[0-9]*:#include "speech/speech_module\.h"$'
# System headers the engine and the core must not use.
forbidden='^<(Q|Qt)|^<(thread|mutex|shared_mutex|future|condition_variable|fstream|filesystem|pthread\.h|unistd\.h|fcntl\.h|sys/|iconv\.h|libkakasi\.h|espeak)'

# check ROOT: prints every include that breaks a rule; fails when any does.
check() {
    local root=$1 bad=0 folder line file inc top
    for folder in "${!allowed[@]}"; do
        [ -d "$root/$folder" ] || continue
        while IFS= read -r line; do
            file=${line%%:*}
            inc=$(sed -E 's/^[^:]*:[0-9]+:#include +//' <<<"$line")
            if [[ $inc == \"*/* ]]; then
                top=${inc#\"}
                top=${top%%/*}
                if [ -d "$root/$top" ] && ! grep -qw "$top" <<<"${allowed[$folder]}" &&
                    ! grep -qE "$exception" <<<"$line"; then
                    echo "$line: $folder/ may not include $top/"
                    bad=1
                fi
            elif [[ $inc == \<* ]] && [[ $folder == hissan || $folder == core ]] &&
                grep -qE "$forbidden" <<<"$inc"; then
                echo "$line: $folder/ is plain C++ and may not include $inc"
                bad=1
            elif [[ $inc == \<* ]] && [[ $folder == wasm ]] && grep -qE '^<(Q|Qt)' <<<"$inc"; then
                echo "$line: $folder/ is built for the browser and may not include $inc"
                bad=1
            fi
        done < <(cd "$root" && grep -rnE '^#include +["<]' "$folder" --include='*.h' --include='*.cpp')
        # Nor run the shell.
        if [[ $folder == hissan || $folder == core ]]; then
            if (cd "$root" && grep -rnE 'std::system *\(|\bpopen *\(' "$folder" --include='*.h' --include='*.cpp'); then
                echo "$folder/ may not run the shell"
                bad=1
            fi
        fi
    done
    return $bad
}

# A planted tree with one fault of each kind: every one must be found.
plant=$(mktemp -d)
trap 'rm -rf "$plant"' EXIT
mkdir -p "$plant"/{hissan,core,ui,dialogs,speech,tools,wasm}
echo '#include "ui/renderer.h"' >"$plant/core/up.cpp"
echo '#include <QString>' >"$plant/hissan/qt.h"
echo '#include <thread>' >"$plant/core/thread.cpp"
echo '#include "speech/face_s.h"' >"$plant/dialogs/side.cpp"
echo '#include "speech/speech_engine.h"' >"$plant/tools/speech.cpp"
echo 'int f() { return std::system("ls"); }' >"$plant/core/shell.cpp"
echo '#include "speech/speech_module.h"' >"$plant/tools/module.cpp"  # allowed
echo '#include "ui/renderer.h"' >"$plant/wasm/up.cpp"
echo '#include <QFont>' >"$plant/wasm/qt.cpp"
found=$(check "$plant")
for fault in core/up.cpp hissan/qt.h core/thread.cpp dialogs/side.cpp tools/speech.cpp \
    core/shell.cpp wasm/up.cpp wasm/qt.cpp; do
    grep -q "$fault" <<<"$found" || { echo "FAIL: the check misses $fault"; exit 1; }
done
if grep -q tools/module.cpp <<<"$found"; then
    echo "FAIL: the check refuses the speech module's table"
    exit 1
fi

check "$src" || { echo "FAIL: a layer includes what it may not"; exit 1; }
echo "layers: every include is in its place"
