#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it, uses both
# programs from their installed places in a temporary folder, and removes it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUARRIX_BENCH=OFF \
  -DQUARRIX_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/quarrix_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$root/$build"/quarrix_*.deb)
echo "== lintian $(basename "$deb")"
lintian --fail-on error --no-tag-display-limit "$deb"

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
trap 'apt-get remove -y -qq quarrix >/dev/null || true' EXIT
work=$(mktemp -d)
cd "$work"
[ "$(command -v quarrix)" = /usr/bin/quarrix ] && [ "$(command -v quarrix-cli)" = /usr/bin/quarrix-cli ]
quarrix-cli init
quarrix-cli info
# The installed starter sets load into the new store.
quarrix-cli import-controls /usr/share/quarrix/sets/starter_controls.xlsx
# The central tables' scripts are installed, and the upload's help names them.
test -s /usr/share/quarrix/sql/postgresql.sql && test -s /usr/share/quarrix/sql/sqlserver.sql
quarrix-cli help upload | grep -q /usr/share/quarrix/sql
# The page-drawing commands run in the installed helper.
quarrix-cli report "$work/report.pdf"
test -s "$work/report.pdf"
QT_QPA_PLATFORM=offscreen quarrix --screenshots "$work/shots"
shots=$(ls "$work"/shots/*.png | wc -l)
[ "$shots" -eq 12 ] || { echo "expected 12 screenshots of the installed program (11 tabs and the trace window), got $shots" >&2; exit 1; }
# The user guide and its pictures are installed, and F1 finds them there.
test -f /usr/share/quarrix/Quarrix.html
for picture in $(grep -o 'src="guide/[^"]*"' /usr/share/quarrix/Quarrix.html | sed 's/^src="//; s/"$//'); do
  test -f "/usr/share/quarrix/$picture" || { echo "the installed guide misses $picture" >&2; exit 1; }
done
test -f /usr/share/applications/quarrix.desktop
test -f /usr/share/icons/hicolor/scalable/apps/quarrix.svg
man -w quarrix-cli >/dev/null
cd "$root"
rm -rf "$work"
echo "== package installed, used and removed"
