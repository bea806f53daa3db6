#!/bin/sh
# Words per minute at each speed index (sonela-voz fala --velocidade N), for the own
# engine, espeak-ng (kind 4) and the legacy voice, measured on the produced audio: the
# same 200-word text, its WAV's length. The table of speeds is the one of the build
# tree's Sonela.ini.
# Usage: bench_velocidade.sh BUILD_DIR   (needs mbrola and br4 for the own engine)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build directory}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME="$tmp/config"  # the configuration of the build tree only
tr -s ' \n\t' '\n\n\n' < "$here/../engine_text/bench/texto_longo.txt" | grep -v '^$' |
  head -n 200 | tr '\n' ' ' > "$tmp/texto.txt"
palavras=$(wc -w < "$tmp/texto.txt")
duracao() {  # seconds of a PCM WAV file with the canonical 44-byte header
  python3 -c 'import sys, wave; w = wave.open(sys.argv[1]); print(w.getnframes() / w.getframerate())' "$1"
}
printf '%-8s' "$palavras words"
for n in 1 2 3 4 5; do printf '%10s' "index $n"; done
echo
for voz in motor espeak legado; do
  printf '%-8s' "$voz"
  for n in 1 2 3 4 5; do
    if "$build/bin/sonela-voz" fala --voz "$voz" --velocidade "$n" "$(cat "$tmp/texto.txt")" \
        -o "$tmp/$voz$n.wav" > /dev/null 2>&1; then
      printf '%10s' "$(awk -v w="$palavras" -v s="$(duracao "$tmp/$voz$n.wav")" \
        'BEGIN { printf "%.0f wpm", w * 60 / s }')"
    else
      printf '%10s' "-"
    fi
  done
  echo
done
