#!/bin/sh
# Fails when a rule set misses its accuracy floor on a held-out sample of the lexicon
# (every 25th line). For the engine, the rules learned from the lexicon are learned
# again without the held-out fifth (every 5th line), so the sample scores unseen words.
# usage: check.sh SONELA-VOZ LEXICON.tsv SCORER DATADIR [--legado]
#   without --legado: the engine's rules (DATADIR holds portug.nrl and portug.exc)
#   with --legado: the legacy rules (DATADIR holds regras.rgr and portug.exc)
set -e
[ $# -eq 4 ] || [ $# -eq 5 ] || { sed -n '2,7p' "$0" >&2; exit 2; }
voz=$1; lex=$2; scorer=$3; dir=$4; modo=$5
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
awk 'NR % 25 == 0' "$lex" > "$tmp/amostra.tsv"
if [ "$modo" != --legado ]; then
  cp -r "$dir" "$tmp/dados"
  dir=$tmp/dados
  python3 "$(dirname "$0")/atonas.py" "$lex" --parte dev --grava "$dir/portug.nrl"
  python3 "$(dirname "$0")/abertas.py" "$lex" --parte dev --grava "$dir/portug.nrl"
fi
cut -f1 "$tmp/amostra.tsv" | "$voz" fonemas $modo --dir "$dir" > "$tmp/amostra.out"
"$scorer" "$tmp/amostra.tsv" "$tmp/amostra.out" | tee "$tmp/nota"
if [ "$modo" = --legado ]; then limites="2.0 14 98.8"; else limites="1.35 10 99.8"; fi
awk -v lim="$limites" '/^PER/ {
  split(lim, l, " ")
  per = $2 + 0; wer = $4 + 0; st = $6 + 0
  if (per > l[1] || wer > l[2] || st < l[3]) { print "below target"; exit 1 }
}' "$tmp/nota"
