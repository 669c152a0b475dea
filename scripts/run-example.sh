#!/usr/bin/env bash
# Builds Rivulon and opens the bundled example project: in the desktop program
# when a display is present, otherwise through hydload with its summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/dev/bin/rivulon ]; then
    exec build/dev/bin/rivulon "$@"
fi
echo "No display found: running the example project headless with hydload." >&2
out=build/example-output
mkdir -p "$out"
exec build/dev/bin/hydload run examples/Millbrook/Millbrook.prj --years 30 --level 4 --out "$out" "$@"
