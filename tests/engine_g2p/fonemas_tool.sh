#!/bin/sh
# sonela-voz fonemas over ordinary and bad input: one answer line per input line.
set -e
voz=$1; dir=$2
out=$(printf 'casa\nmar\n,\n\nPSST\n\001\302\200x\nfalam\n' | "$voz" fonemas --dir "$dir")
expected=$(printf 'casa\tk >a z a\nmar\tm >a r2\n,\t\n\t\nPSST\tp s t\n\001\302\200x\tk s2\nfalam\tf >a l @ m2')
[ "$out" = "$expected" ] || { printf 'got:\n%s\n' "$out"; exit 1; }
# A rule file that cannot be read is an error, not an empty answer.
if echo casa | "$voz" fonemas --regras /nonexistent/portug.nrl >/dev/null 2>&1; then exit 1; fi
# Very long words.
head -c 200000 /dev/zero | tr '\0' 'a' | "$voz" fonemas --dir "$dir" | grep -q '^a*	' 
# The legacy rules in the same notation, from a directory with regras.rgr and portug.exc.
leg=$(dirname "$dir")/legacy
out=$(printf 'casa\nideia\nfalam\n\n' | "$voz" fonemas --legado --dir "$leg")
expected=$(printf 'casa\tk >a z a\nideia\ti d >ee y a\nfalam\tf >a l an w\n\t')
[ "$out" = "$expected" ] || { printf 'legado got:\n%s\n' "$out"; exit 1; }
if echo casa | "$voz" fonemas --legado --dir /nonexistent >/dev/null 2>&1; then exit 1; fi
