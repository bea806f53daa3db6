#!/bin/sh
# sonela-voz fala --voz motor with the real mbrola and br4: a 16000 Hz, 16-bit mono WAV
# whose length is the sum of the sentence's MBROLA line durations (within 5 %), not silent.
# Usage: fala_motor_test.sh SONELA_VOZ DATA_DIR
voz=$1
dados=$2
falha() { echo "FALHOU: $*"; exit 1; }
if ! command -v mbrola >/dev/null 2>&1 || [ ! -f /usr/share/mbrola/br4/br4 ]; then
  [ "$MG_REQUIRE_SERVICES" = 1 ] && falha "mbrola or br4 not installed (scripts/install-deps)"
  echo "mbrola or br4 not installed: skipped"
  exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
texto="Insira o CD e aperte Enter quando pronto. Gravação terminada, 12 arquivos."
"$voz" fala --voz motor "$texto" -o "$tmp/frase.wav" --dados "$dados" || falha "exit status"
ms=$(printf '%s' "$texto" | "$voz" pho --dir "$dados" |
  awk '!/^;/ && NF >= 2 { s += $2 } END { print s }') || falha "pho"
[ "${ms:-0}" -gt 1000 ] || falha "pho durations: $ms"

campo() { od -An -t"$1" -j"$2" -N"$3" "$tmp/frase.wav" | tr -d ' '; }
[ "$(od -An -c -N4 "$tmp/frase.wav" | tr -d ' ')" = RIFF ] || falha "not a RIFF file"
[ "$(campo u4 24 4)" = 16000 ] || falha "rate $(campo u4 24 4)"
[ "$(campo u2 34 2)" = 16 ] || falha "bits $(campo u2 34 2)"
[ "$(campo u2 22 2)" = 1 ] || falha "channels $(campo u2 22 2)"
bytes=$(campo u4 40 4)
tamanho=$(wc -c < "$tmp/frase.wav")
[ "$bytes" -eq $((tamanho - 44)) ] || falha "data size $bytes in a file of $tamanho bytes"
amostras=$((bytes / 2))
esperadas=$((ms * 16))
diferenca=$((amostras - esperadas))
[ $diferenca -lt 0 ] && diferenca=$((-diferenca))
[ $((diferenca * 100)) -le $((esperadas * 5)) ] ||
  falha "$amostras samples for $ms ms of lines ($esperadas expected)"
maior=$(sox "$tmp/frase.wav" -n stat 2>&1 | awk '/Maximum amplitude/ { print $3 }')
awk -v m="$maior" 'BEGIN { exit !(m > 0.1) }' || falha "silent (maximum amplitude $maior)"
echo "ok: $amostras samples, $ms ms of lines"
