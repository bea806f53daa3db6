#!/bin/sh
# Scores the engine's letter-to-phoneme data against a pronouncing lexicon, on a
# development part (lines whose number mod 5 is not 0) and a held-out part (mod 5 = 0).
# usage: score.sh SONELA-VOZ LEXICON.tsv SCORER [DATADIR] [--legado | --validacao]
#   SONELA-VOZ  the built tool (build/bin/sonela-voz)
#   LEXICON     word<TAB>/IPA/ lines
#   SCORER      the scoring script (it takes LEXICON-part and the tool's output)
#   DATADIR     folder of portug.nrl and portug.exc (default: data/ondal of this tree),
#               or with --legado of regras.rgr and portug.exc (default: data/legacy)
#   --validacao the engine's learned rules (abertas.py, atonas.py) are learned again from
#               the development part only, so the held-out part scores words not seen
set -e
[ $# -ge 3 ] || { sed -n '2,11p' "$0" >&2; exit 2; }
voz=$1; lex=$2; scorer=$3
modo=; [ "$5" = --legado ] || [ "$4" = --legado ] && modo=--legado
valid=; { [ "$4" = --validacao ] || [ "$5" = --validacao ]; } && valid=1
{ [ "$4" = --legado ] || [ "$4" = --validacao ]; } && set -- "$1" "$2" "$3" ${5:+"$5"}
padrao=ondal; [ -n "$modo" ] && padrao=legacy
dir=${4:-$(cd "$(dirname "$0")/../../data/$padrao" && pwd)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
awk 'NR % 5 != 0' "$lex" > "$tmp/dev.tsv"
awk 'NR % 5 == 0' "$lex" > "$tmp/held.tsv"
if [ -n "$valid" ]; then
  cp -r "$dir" "$tmp/dados"
  dir=$tmp/dados
  g2p=$(dirname "$0")
  python3 "$g2p/atonas.py" "$lex" --parte dev --grava "$dir/portug.nrl"
  python3 "$g2p/abertas.py" "$lex" --parte dev --grava "$dir/portug.nrl"
fi
for part in dev held; do
  cut -f1 "$tmp/$part.tsv" | "$voz" fonemas $modo --dir "$dir" > "$tmp/$part.out"
  echo "== $part"
  "$scorer" "$tmp/$part.tsv" "$tmp/$part.out"
done
