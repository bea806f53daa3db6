#!/bin/sh
# Times text -> MBROLA lines (sonela-voz pho, and the in-process benchmark) beside
# espeak-ng text -> phonemes ("espeak-ng -q -x") on the same text, in one run.
# Usage: compara-espeak.sh BUILD_DIR [TEXT]   (TEXT: UTF-8, default texto_longo.txt)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build directory}
text=${2:-$here/texto_longo.txt}
data=$here/../../../data/ondal
bytes=$(wc -c < "$text")
echo "text: $text ($bytes bytes)"
"$build/bin/sonela-voz" pho --dir "$data" "$text" > /dev/null  # warm the caches
espeak-ng -q -x -v pt-br -f "$text" > /dev/null
if command -v hyperfine > /dev/null; then
  hyperfine -N --warmup 2 --runs 10 --export-json "$build/compara-espeak.json" \
    "$build/bin/sonela-voz pho --dir $data $text" \
    "espeak-ng -q -x -v pt-br -f $text"
  python3 - "$build/compara-espeak.json" "$bytes" << 'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
n = int(sys.argv[2])
ours, esp = r[0]["mean"], r[1]["mean"]
print(f"sonela-voz pho : {ours*1000:8.1f} ms  {n/ours/1024:8.0f} kB/s")
print(f"espeak-ng -q -x: {esp*1000:8.1f} ms  {n/esp/1024:8.0f} kB/s")
print(f"ratio: {esp/ours:.1f} x espeak-ng's rate")
PY
fi
if [ -x "$build/bin/bench_pho" ]; then
  MG_BENCH_TEXTO="$text" "$build/bin/bench_pho" --benchmark_min_time=1
fi
