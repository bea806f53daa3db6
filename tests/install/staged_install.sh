#!/bin/sh
# Stages `cmake --install` with DESTDIR, as a package build does, and checks the tree:
# the files where they belong, no path of the build or source tree in any of them, the
# shipped configuration naming its data beside the program; then runs the staged
# program with that configuration only: it speaks its banner and burns a folder.
# A second install under another prefix, moved after installing, must still start.
# Usage: staged_install.sh <cmake> <build dir> <source dir> <work dir>
set -u
cmake=$1
build=$2
source=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)

fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$work" && mkdir -p "$work"
usr=$work/usr-root
DESTDIR=$usr "$cmake" --install "$build" --prefix /usr --strip >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install"; }

for f in etc/minigravador/Sonela.ini usr/bin/minigravador usr/bin/sonela-voz \
  usr/share/minigravador/difones/DIFONES2.IND usr/share/minigravador/difones/DIFONES2.DIF \
  usr/share/minigravador/difones/regras.rgr usr/share/minigravador/difones/portug.exc \
  usr/share/minigravador/letras/_sete.wav usr/share/minigravador/ondal/portug.nrl \
  usr/share/minigravador/ondal/portug.pro usr/share/minigravador/ondal/portug.dfn \
  usr/share/applications/minigravador.desktop \
  usr/share/icons/hicolor/scalable/apps/minigravador.svg \
  usr/share/metainfo/br.org.sonela.minigravador.metainfo.xml \
  usr/share/man/man1/minigravador.1 usr/share/man/man1/sonela-voz.1 \
  usr/share/man/pt_BR/man1/minigravador.1 usr/share/man/pt_BR/man1/sonela-voz.1 \
  usr/share/doc/minigravador/guia.md; do
  [ -s "$usr/$f" ] || fail "missing after install: /$f"
done
[ ! -e "$usr/usr/etc" ] || fail "a configuration folder under /usr: $(find "$usr/usr/etc")"

# Build products must not remember where they were built.
for tree in "$build" "$source"; do
  found=$(grep -rlF "$tree" "$usr")
  [ -z "$found" ] || fail "the staged files name $tree: $found"
done

# Every data path of the shipped configuration is relative to the program ("@\").
paths=$(grep -iE '^(DIRLETRAS|DIRDIFONES|DIR)=' "$usr/etc/minigravador/Sonela.ini")
[ -n "$paths" ] || fail "no data paths in Sonela.ini"
echo "$paths" | grep -v '=@\\' && fail "data paths not beside the program"

"$here/run_installed.sh" "$usr" /usr "$work/banner" banner || exit 1
"$here/run_installed.sh" "$usr" /usr "$work/burn" burn || exit 1

# Another prefix: its configuration in <prefix>/etc/minigravador; the whole tree moved
# elsewhere afterwards still finds it and its data.
opt=$work/opt-root
DESTDIR=$opt "$cmake" --install "$build" --prefix /opt/minigravador --strip \
  >"$work/install-opt.log" 2>&1 || { cat "$work/install-opt.log"; fail "cmake --install /opt"; }
[ -s "$opt/opt/minigravador/etc/minigravador/Sonela.ini" ] ||
  fail "no Sonela.ini in <prefix>/etc/minigravador: $(find "$opt" -name Sonela.ini)"
mkdir -p "$work/moved" && mv "$opt/opt/minigravador" "$work/moved/mg"
"$here/run_installed.sh" "$work/moved/mg" "" "$work/moved-banner" banner || exit 1

rm -rf "$work"
echo "ok: staged install"
