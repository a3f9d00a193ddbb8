#!/usr/bin/env bash
# Renders the program's icon (packaging/icons/quarrix.svg, our own drawing) to the PNG sizes the
# desktop installs. Needs rsvg-convert (Debian: librsvg2-bin); the PNGs are kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" quarrix.svg -o "quarrix-$size.png"
done
