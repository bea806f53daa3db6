#!/bin/sh
# The desktop entry, the AppStream metadata and every manual page of an installed tree
# pass their validators: desktop-file-validate, appstreamcli validate, and groff and
# man with all warnings on (as lintian runs them). Compressed pages are read as well.
# Usage: validate_files.sh <cmake> <build dir> <work dir>   (stages an install itself)
# Exit 77 (skipped) when a validator is missing.
set -u
cmake=$1
build=$2
work=$3

for tool in desktop-file-validate appstreamcli groff man; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing"; exit 77; }
done

rm -rf "$work" && mkdir -p "$work"
root=$work/root
DESTDIR=$root "$cmake" --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

status=0
# A check fails on a non-zero status or on anything written to standard error.
check() {
  what=$1
  shift
  err=$("$@" 2>&1 >"$work/stdout")
  rc=$?
  if [ $rc -ne 0 ] || [ -n "$err" ]; then
    echo "FAIL: $what (status $rc)"
    { [ -n "$err" ] && echo "$err" || head -c 4000 "$work/stdout"; } | sed 's/^/  /'
    status=1
  fi
}

desktop=$(find "$root" -path '*/applications/*.desktop')
[ -n "$desktop" ] || { echo "FAIL: no desktop entry"; status=1; }
for f in $desktop; do
  # Its hints are advice, not faults; errors and warnings fail.
  out=$(desktop-file-validate "$f" 2>&1)
  rc=$?
  problems=$(echo "$out" | grep -E ': (error|warning):')
  if [ $rc -ne 0 ] || [ -n "$problems" ]; then
    echo "FAIL: desktop entry $f"
    echo "$out" | sed 's/^/  /'
    status=1
  fi
done

metainfo=$(find "$root" -path '*/metainfo/*.xml')
[ -n "$metainfo" ] || { echo "FAIL: no AppStream metadata"; status=1; }
for f in $metainfo; do
  check "appstream $f" appstreamcli validate --no-net "$f"
  if grep -qE '^[EW]:' "$work/stdout"; then
    echo "FAIL: appstream $f has warnings"
    sed 's/^/  /' "$work/stdout"
    status=1
  fi
done

pages=$(find "$root" -path '*/man/*' -type f)
[ "$(echo "$pages" | grep -c .)" -ge 4 ] || { echo "FAIL: manual pages missing: $pages"; status=1; }
for f in $pages; do
  case $f in
    *.gz) zcat "$f" >"$work/page" ;;
    *) cp "$f" "$work/page" ;;
  esac
  check "groff $f" groff -ww -z -k -man "$work/page"
  check "man $f" env LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$work/page"
done

[ $status -eq 0 ] && { rm -rf "$work"; echo "ok: desktop entry, AppStream metadata, manual pages"; }
exit $status
