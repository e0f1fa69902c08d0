#!/usr/bin/env bash
# Runs the same calculations through the board session built natively and
# built with em++ (run by node) and compares the two display lists op by op.
# Usage: compare_cores.sh NATIVE_DUMP WASM_DUMP_JS CASES
set -u
native=${1:?native web-core-dump} wasm=${2:?web-core-dump.js} cases=${3:?cases file}
if [ ! -f "$wasm" ]; then
    echo "compare_cores: $wasm is missing; build the page first (make web-build)"
    exit 1
fi
a=$(mktemp) b=$(mktemp)
trap 'rm -f "$a" "$b"' EXIT
"$native" "$cases" >"$a" || { echo "compare_cores: the native run failed"; exit 1; }
# Node's own fetch cannot load a module file by path; the module reads it itself.
node --no-experimental-fetch "$wasm" "$cases" >"$b" || { echo "compare_cores: the WebAssembly run failed"; exit 1; }
node - "$a" "$b" <<'JS'
const fs = require("fs");
const [na, wa] = process.argv.slice(2).map((f) => fs.readFileSync(f, "utf8").trimEnd().split("\n"));
let bad = 0;
if (na.length !== wa.length) { console.log(`${na.length} native boards, ${wa.length} WebAssembly boards`); bad++; }
for (let i = 0; i < Math.min(na.length, wa.length); i++) {
  const [ns, nops] = na[i].split("\t"), [ws, wops] = wa[i].split("\t");
  const n = JSON.parse(nops), w = JSON.parse(wops);
  if (ns !== ws) { console.log(`board ${i + 1}: status "${ns}" against "${ws}"`); bad++; }
  if (n.length !== w.length) { console.log(`board ${i + 1} (${ns}): ${n.length} ops against ${w.length}`); bad++; }
  for (let j = 0; j < Math.min(n.length, w.length); j++)
    if (JSON.stringify(n[j]) !== JSON.stringify(w[j])) {
      console.log(`board ${i + 1} (${ns}), op ${j}: ${JSON.stringify(n[j])} against ${JSON.stringify(w[j])}`);
      bad++;
      break;
    }
}
console.log(`${na.length} boards compared`);
process.exit(bad ? 1 : 0);
JS
