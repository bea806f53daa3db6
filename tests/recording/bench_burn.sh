#!/bin/sh
# Times the whole burn of a one-file tree from the Enter at "Insira o CD" to the end of
# the program (the last word said), through the real program: offscreen window, sound to
# SDL's disk driver (paced in real time), the shipped Sonela.ini (the image file in the
# home folder as the only recorder, progress and verification on). Two runs with
# the same key script, one ending when the program reads that Enter (exit 3), one going
# on; the difference is the burn. Usage: tests/recording/bench_burn.sh [BUILD-DIR]
set -eu
BUILD=$(cd "${1:-build}" && pwd)
PROGRAM=$BUILD/bin/minigravador
[ -x "$PROGRAM" ] || { echo "build minigravador first" >&2; exit 2; }
WORK=$(mktemp -d /tmp/mgburn.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM
mkdir -p "$WORK/home" "$WORK/config/Sonela" "$WORK/src"
echo "Prezado senhor," > "$WORK/src/carta.txt"
cp "$BUILD/etc/Sonela.ini" "$WORK/config/Sonela/Sonela.ini"
printf 'wait 3000\nkey Escape\nwait 3000\ntext %s\nkey Return\nwait 4000\n' "$WORK/src" > "$WORK/upto"
cp "$WORK/upto" "$WORK/all" && printf 'key Return\n' >> "$WORK/all"

now() { date +%s.%N; }
run() {
  s=$(now)
  HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk \
    SDL_DISKAUDIOFILE=$WORK/audio.raw MG_KEY_SCRIPT=$WORK/$1 "$PROGRAM" >/dev/null 2>&1 || true
  e=$(now)
  echo "$e - $s" | bc -l
}
a=$(run upto)
b=$(run all)
[ -s "$WORK/home/minigravador.iso" ] || { echo "no image was written" >&2; exit 1; }
printf 'up to the Enter %.2f s, whole run %.2f s, burn from Enter to last word %.2f s\n' \
  "$a" "$b" "$(echo "$b - $a" | bc -l)"
