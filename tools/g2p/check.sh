#!/bin/sh
# Fails when the engine's letter-to-phoneme data misses its accuracy targets on a
# held-out sample of the lexicon (every 25th line, all of them held-out words).
# usage: check.sh SONELA-VOZ LEXICON.tsv SCORER DATADIR
set -e
[ $# -eq 4 ] || { sed -n '2,4p' "$0" >&2; exit 2; }
voz=$1; lex=$2; scorer=$3; dir=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
awk 'NR % 25 == 0' "$lex" > "$tmp/amostra.tsv"
cut -f1 "$tmp/amostra.tsv" | "$voz" fonemas --dir "$dir" > "$tmp/amostra.out"
"$scorer" "$tmp/amostra.tsv" "$tmp/amostra.out" | tee "$tmp/nota"
awk '/^PER/ {
  per = $2 + 0; wer = $4 + 0; st = $6 + 0
  if (per > 2.5 || wer > 16 || st < 99.3) { print "below target"; exit 1 }
}' "$tmp/nota"
