#!/bin/sh
# Synthesis speed of the own engine (text stages + mbrola) beside espeak-ng on the same
# 5,000-word text: seconds of speech made per second of CPU (the child mbrola included).
# Usage: bench_sintese.sh BUILD_DIR   (needs mbrola, br4, espeak-ng and GNU time)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build directory}
data=$here/../../data/ondal
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# 5,000 words: the long text of the text-stage benchmark, continued from its start.
tr -s ' \n\t' '\n\n\n' < "$here/../engine_text/bench/texto_longo.txt" | grep -v '^$' > "$tmp/w"
while [ "$(wc -l < "$tmp/w")" -lt 5000 ]; do cat "$tmp/w" "$tmp/w" > "$tmp/w2"; mv "$tmp/w2" "$tmp/w"; done
head -n 5000 "$tmp/w" | tr '\n' ' ' > "$tmp/texto.txt"
echo "text: $(wc -w < "$tmp/texto.txt") words"

mede() {  # name wav command...: seconds of speech per CPU second
  nome=$1 wav=$2
  shift 2
  /usr/bin/time -f '%U %S' -o "$tmp/t" "$@" > /dev/null 2>&1
  cpu=$(awk '{ print $1 + $2 }' "$tmp/t")
  fala=$(soxi -D "$wav")
  awk -v n="$nome" -v c="$cpu" -v f="$fala" \
    'BEGIN { printf "%-10s %8.1f s of speech, %6.2f s CPU: %7.1f s of speech per CPU second\n", n, f, c, f / c }'
}
mede motor "$tmp/motor.wav" "$build/bin/sonela-voz" fala --voz motor --dados "$data" \
  "$(cat "$tmp/texto.txt")" -o "$tmp/motor.wav"
mede espeak-ng "$tmp/espeak.wav" espeak-ng -v pt-br -w "$tmp/espeak.wav" -f "$tmp/texto.txt"
