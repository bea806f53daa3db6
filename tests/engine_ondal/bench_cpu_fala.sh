#!/bin/sh
# CPU of the program's main thread while its first prompts sound, per voice: the program
# runs with the build tree's Sonela.ini (TIPOSAPI set per run) and SDL's disk audio
# driver (paced like a sound card), says its banner and the disc name prompt, and is
# ended 8 s after its start; the main thread's user + system ticks (from
# /proc/PID/task/PID/stat) are read just before.
# Usage: bench_cpu_fala.sh BUILD_DIR   (needs mbrola and br4 for the own engine)
set -e
build=${1:?build directory}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
hz=$(getconf CLK_TCK)
for voz in 3:motor 4:espeak-ng legado:legado; do
  tipo=${voz%%:*} nome=${voz#*:}
  mkdir -p "$tmp/$nome/Sonela"
  if [ "$tipo" = legado ]; then
    sed 's/^SAPI=S/SAPI=N/' "$build/etc/Sonela.ini" > "$tmp/$nome/Sonela/Sonela.ini"
  else
    sed "s/^TIPOSAPI=.*/TIPOSAPI=$tipo/" "$build/etc/Sonela.ini" > "$tmp/$nome/Sonela/Sonela.ini"
  fi
  printf 'wait 60000\n' > "$tmp/keys"
  XDG_CONFIG_HOME="$tmp/$nome" HOME="$tmp" SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null MG_KEY_SCRIPT="$tmp/keys" \
    "$build/bin/minigravador" > /dev/null 2>&1 &
  pid=$!
  sleep 8
  ticks=$(awk '{ print $14 + $15 }' "/proc/$pid/task/$pid/stat")
  kill "$pid"
  wait "$pid" 2> /dev/null || true
  awk -v n="$nome" -v t="$ticks" -v hz="$hz" \
    'BEGIN { printf "%-10s main thread %5.2f s of CPU in the first 8 s (%d ticks)\n", n, t / hz, t }'
done
