#!/bin/sh
# The console probe in a real X window under Xvfb, typed into with xdotool (XTEST key
# events, as a keyboard would give them); the screen dump is checked.
# Usage: xvfb_test.sh <console_probe> <work dir>
set -u
probe=$1
work=$2
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb/xdotool missing"; exit 77; }
rm -rf "$work" && mkdir -p "$work/config"
exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 >"$work/xvfb.log" 2>&1 &
xpid=$!
trap 'kill $ppid $xpid 2>/dev/null' EXIT
for i in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
[ "$DISPLAY" != ":" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }

HOME=$work XDG_CONFIG_HOME=$work/config SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  MG_SCREEN_DUMP=$work/screen.txt "$probe" 2>"$work/stderr.txt" &
ppid=$!
win=$(timeout 20 xdotool search --sync --name console_probe | head -n 1)
[ -n "$win" ] || { echo "no window"; cat "$work/stderr.txt"; exit 1; }
xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
sleep 0.5
xdotool type --delay 30 "abc xyz"
xdotool key Return
sleep 0.3
xdotool key F1 ctrl+shift+F9 shift+Insert
sleep 0.3
xdotool key Escape
for i in $(seq 100); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
wait $ppid
status=$?
[ "$status" -eq 0 ] || { echo "probe exited with $status"; cat "$work/stderr.txt"; exit 1; }

fail=0
expect() {
  got=$(sed -n "${1}p" "$work/screen.txt" | sed 's/ *$//')
  if [ "$got" != "$2" ]; then echo "row $1: got [$got], expected [$2]"; fail=1; fi
}
expect 3 "Nome: abc xyz"
expect 4 "Lido: [abc xyz]"
expect 5 "Teclas: 0 59 0a 102a 0s 254s"
expect 6 "Fim."
exit $fail
