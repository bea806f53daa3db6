#!/bin/sh
# Fails when the engine's rules miss their targets on words they were not learned from:
# score.sh --validacao learns the rules again from four fifths of the lexicon and scores
# the held-out fifth (PER at most 1.2 %, WER at most 9.5 %, stress at least 99.8 %).
# usage: validacao.sh SONELA-VOZ LEXICON.tsv SCORER DATADIR
set -e
[ $# -eq 4 ] || { sed -n '2,5p' "$0" >&2; exit 2; }
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
sh "$(dirname "$0")/../../tools/g2p/score.sh" "$1" "$2" "$3" "$4" --validacao > "$tmp"
cat "$tmp"
awk '/^== held/ { held = 1 } held && /^PER/ {
  per = $2 + 0; wer = $4 + 0; st = $6 + 0; seen = 1
  if (per > 1.2 || wer > 9.5 || st < 99.8) { print "below target"; exit 1 }
} END { if (!seen) { print "no score for the held-out part"; exit 1 } }' "$tmp"
