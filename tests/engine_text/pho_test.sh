#!/bin/sh
# sonela-voz pho end to end: UTF-8 in, MBROLA lines out (UTF-8), errors reported.
# Usage: pho_test.sh SONELA_VOZ DATA_DIR
voz=$1
dados=$2
falha() { echo "FALHOU: $*"; exit 1; }

out=$(printf 'O Sr. Silva tem 21 anos.\nVocê vem?\n' | "$voz" pho --dir "$dados") || falha "exit status"
echo "$out" | grep -qx ';senhor' || falha "abbreviation"
echo "$out" | grep -qx ';vinte' || falha "number"
echo "$out" | grep -qx ';Você' || falha "UTF-8 at the edges"
echo "$out" | grep -qE '^[a-z@_2]+ [0-9]+ (50|80) [0-9]+$' || falha "pitch points"
echo "$out" | grep -qx '_ 350' || falha "sentence pause"
[ "$(echo "$out" | tail -n 1)" = "_ 120" ] || falha "final pause"

printf 'a' | "$voz" pho --dir /nao/existe > /dev/null 2>&1 && falha "missing data accepted"
err=$(printf 'a' | "$voz" pho --dir "$dados" --prosodia /nao/existe.pro 2>&1 >/dev/null)
[ $? -eq 0 ] && falha "missing prosody accepted"
echo "$err" | grep -q 'Configuração da prosódia não foi achada' || falha "prosody message: $err"
echo ok
