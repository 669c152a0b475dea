#!/usr/bin/env bash
# Rebuilds the generated parts of the Millbrook example: the 30-year weather
# series and its weather-delay file, and the daily values of the 30-year run
# at level 4 (Daily.csv). The other files are written by hand.
# Usage: examples/regenerate.sh [path to weathergen] [path to hydload]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
gen="${1:-$here/../build/dev/bin/weathergen}"
hydload="${2:-$(dirname "$gen")/hydload}"

"$gen" --years 30 --seed 1990 --latitude 41.2 --mean-temp 9.5 --temp-amplitude 13 \
    --annual-precip-cm 102 --dated 4/1/1990 \
    --delay-file "$here/Millbrook/Wdelay.dat" "$here/Millbrook/Weather.dat"

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$hydload" run "$here/Millbrook/Millbrook.prj" --years 30 --level 4 --out "$out" \
    --daily "$here/Millbrook/Daily.csv" --quiet
