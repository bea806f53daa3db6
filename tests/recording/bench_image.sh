#!/bin/sh
# Times writing an image of a 1 GB tree of 2000 files with the disc service and with
# "xorriso -as mkisofs -J -R -o" + sync on the same tree, in the same run, and prints the
# ratio; and the disc service's verification of its image against its writing time.
# Usage: tests/recording/bench_image.sh [BUILD-DIR]   (default: build)
# The tree and the images go to $BENCH_DIR (default: a fresh folder under /tmp); each
# side runs $ROUNDS times (default 3), alternately, with the tree in the page cache.
set -eu
BUILD=${1:-build}
TOOL=$BUILD/tests/recording/recording_burn_image
[ -x "$TOOL" ] || TOOL=$BUILD/bin/recording_burn_image
[ -x "$TOOL" ] || { echo "build the target recording_burn_image first" >&2; exit 2; }
command -v xorriso >/dev/null || { echo "xorriso is needed" >&2; exit 2; }
ROUNDS=${ROUNDS:-3}
WORK=${BENCH_DIR:-$(mktemp -d /tmp/mgbench.XXXXXX)}
trap 'rm -rf "$WORK"' EXIT INT TERM
TREE=$WORK/tree
mkdir -p "$TREE"

# 2000 files of 512 KiB (1000 MiB) in 20 folders of 100 files, random content.
i=0
while [ $i -lt 20 ]; do
  mkdir -p "$TREE/pasta$i"
  head -c $((100 * 512 * 1024)) /dev/urandom > "$WORK/chunk"
  split -b $((512 * 1024)) -a 3 -d "$WORK/chunk" "$TREE/pasta$i/arquivo"
  i=$((i + 1))
done
rm -f "$WORK/chunk"
cat "$TREE"/*/* > /dev/null  # into the page cache

now() { date +%s.%N; }
ours_total=0
verify_total=0
xorriso_total=0
r=0
while [ $r -lt "$ROUNDS" ]; do
  rm -f "$WORK/ours.iso" "$WORK/xorriso.iso"
  tv=$("$TOOL" "$TREE" "$WORK/ours.iso")
  t=${tv% *}
  v=${tv#* }
  ours_total=$(echo "$ours_total + $t" | bc -l)
  verify_total=$(echo "$verify_total + $v" | bc -l)
  rm -f "$WORK/ours.iso"
  sync
  s=$(now)
  xorriso -as mkisofs -quiet -J -R -o "$WORK/xorriso.iso" "$TREE" 2>/dev/null
  sync "$WORK/xorriso.iso"
  e=$(now)
  xt=$(echo "$e - $s" | bc -l)
  xorriso_total=$(echo "$xorriso_total + $xt" | bc -l)
  rm -f "$WORK/xorriso.iso"
  sync
  printf 'round %d: disc service %.2f s (verification %.2f s), xorriso %.2f s\n' $((r + 1)) "$t" "$v" "$xt"
  r=$((r + 1))
done
printf 'mean: disc service %.2f s, xorriso %.2f s, ratio %.2f\n' \
  "$(echo "$ours_total / $ROUNDS" | bc -l)" "$(echo "$xorriso_total / $ROUNDS" | bc -l)" \
  "$(echo "$ours_total / $xorriso_total" | bc -l)"
printf 'verification: %.2f s, %.2f x the writing time\n' \
  "$(echo "$verify_total / $ROUNDS" | bc -l)" "$(echo "$verify_total / $ours_total" | bc -l)"
