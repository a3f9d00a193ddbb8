#!/usr/bin/env bash
# Installs what Quarrix needs, builds it and starts the program. The store
# Quarrix.mdb is kept in the folder the program is started from.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUARRIX_BENCH=OFF
cmake --build "$root/build/release"
program="$root/build/release/src/quarrix"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: starting Quarrix on a virtual display (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
fi
exec "$program"
