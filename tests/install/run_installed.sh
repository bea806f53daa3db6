#!/bin/sh
# Runs an installed minigravador found under <root><prefix>/bin, with nothing but the
# configuration installed beside it (no user configuration), in a real X window under
# Xvfb (SDL's offscreen driver when Xvfb is missing), with SDL's disk audio driver.
#   run_installed.sh <root> <prefix> <work dir> banner   the banner is shown and spoken
#   run_installed.sh <root> <prefix> <work dir> burn     a folder is burnt to the image
#                                                         file of the shipped configuration
# Exit status 0 when everything checked holds, 1 otherwise.
set -u
root=$1
prefix=$2
work=$3
what=$4
program=$root$prefix/bin/minigravador

fail() { echo "FAIL: $*"; [ -f "$work/stderr.txt" ] && sed 's/^/  stderr: /' "$work/stderr.txt"; exit 1; }

[ -x "$program" ] || fail "no program at $program"
rm -rf "$work" && mkdir -p "$work/home" "$work/config"

# The screen dump: 25 rows, then attributes; only the rows are looked at.
rows() { sed -n '1,25p' "$work/screen.txt" | sed 's/ *$//'; }
shows() { rows | grep -qF -- "$1" || { rows | sed 's/^/  screen: /'; fail "the screen lacks \"$1\""; }; }
# Sound, not silence: silence is one constant byte whatever the sample format, so more
# than 4000 bytes away from the commonest value means something was heard.
sounds() {
  [ -s "$work/audio.raw" ] || fail "no sound was played"
  heard=$(od -An -v -tu1 "$work/audio.raw" |
    awk '{ for (i = 1; i <= NF; i++) c[$i]++; n += NF }
         END { m = 0; for (v in c) if (c[v] > m) m = c[v]; print n - m }')
  [ "$heard" -gt 4000 ] || fail "only silence was played ($heard bytes off the silence value)"
}

display_pid=""
cleanup() { [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null; }
trap cleanup EXIT
if command -v Xvfb >/dev/null 2>&1; then
  exec 3>"$work/display"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 >"$work/xvfb.log" 2>&1 &
  display_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  video="SDL_VIDEODRIVER=x11 DISPLAY=:$(cat "$work/display")"
else
  video="SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software"
fi

case $what in
  banner)
    # Long enough for the banner to be said, then the window's quit message.
    printf 'wait 5000\nquit\n' >"$work/keys"
    ;;
  burn)
    src=$work/Documentos
    mkdir -p "$src/Fotos"
    printf 'Prezado senhor,\n' >"$src/carta.txt"
    head -c 200000 /dev/urandom >"$src/Fotos/praia.jpg"
    # Each answer waits until its prompt has been said.
    printf 'wait 5000\ntext INSTALADO\nkey Return\nwait 3000\ntext %s\nkey Return\nwait 5000\nkey Return\n' \
      "$src" >"$work/keys"
    ;;
  *) fail "unknown check $what" ;;
esac

# shellcheck disable=SC2086
(cd "$work" && env -i PATH="$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work" LANG=C.UTF-8 $video SDL_AUDIODRIVER=disk \
  SDL_DISKAUDIOFILE="$work/audio.raw" MG_KEY_SCRIPT="$work/keys" \
  MG_SCREEN_DUMP="$work/screen.txt" timeout 180 "$program" 2>"$work/stderr.txt")
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ -s "$work/screen.txt" ] || fail "no screen dump"
if rows | grep -q "^Erro"; then rows | sed 's/^/  screen: /'; fail "an error was shown"; fi
shows "Mini Gravador de CD"
shows "Nome do CD (12 letras):"
sounds

if [ "$what" = burn ]; then
  shows "1 arquivos, 1 diretórios"
  shows "Gravação terminada"
  image=$work/home/minigravador.iso
  [ -s "$image" ] || fail "no image file at $image"
  if command -v xorriso >/dev/null 2>&1; then
    listing=$(xorriso -indev "$image" -pvd_info -find / -type f 2>&1)
    echo "$listing" | grep -q "Volume Id *: INSTALADO" || fail "volume name: $listing"
    echo "$listing" | grep -q "'/carta.txt'" || fail "carta.txt missing: $listing"
    echo "$listing" | grep -q "'/Fotos/praia.jpg'" || fail "Fotos/praia.jpg missing: $listing"
  fi
fi
echo "ok: $what, $program"
