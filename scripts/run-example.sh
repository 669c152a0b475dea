#!/usr/bin/env bash
# Builds Rivulon and opens the bundled example project: in the desktop program
# when a display is present, otherwise through hydload with its summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# The same build as scripts/test.sh, so running both builds once.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$(nproc)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/ci/bin/rivulon ]; then
    exec build/ci/bin/rivulon "$@"
fi
echo "No display found: running the example project headless with hydload." >&2
out=build/example-output
mkdir -p "$out"
exec build/ci/bin/hydload run examples/Millbrook/Millbrook.prj --years 30 --level 4 --out "$out" "$@"
