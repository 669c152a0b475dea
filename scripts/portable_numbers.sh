#!/usr/bin/env bash
# A seed gives the same bytes whatever the compiler: runs the weather
# generator (synthetic, fitted to the example's record, and generated from
# the fit) and a small level-4 ensemble of the example with the programs of
# BUILD_DIR, and compares every file they write with the reference in
# tests/scripts/portable/, which the g++ and the clang builds both give.
# ctest runs it on the g++ build, scripts/test.sh on the clang build.
# Usage: scripts/portable_numbers.sh BUILD_DIR [--write]   (--write: make the
# reference anew from BUILD_DIR, then check it with the other compiler)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/portable_numbers.sh BUILD_DIR [--write]}
reference=tests/scripts/portable
work=$(mktemp -d "${TMPDIR:-/tmp}/rivulon-portable.XXXXXX")
trap 'rm -rf "$work"' EXIT

weathergen=$build/bin/weathergen
hydload=$build/bin/hydload
"$weathergen" --years 3 --seed 7 "$work/synthetic.dat" >/dev/null
"$weathergen" fit examples/Millbrook/Weather.dat --out "$work/model.json" >/dev/null
"$weathergen" generate "$work/model.json" --years 5 --seed 11 --out "$work/generated.dat" >/dev/null
"$hydload" ensemble examples/Millbrook/Millbrook.prj --realizations 8 --seed 3 --years 3 \
    --level 4 --delta-temp 1.5 --precip-factor 1.1 --jobs 2 --out "$work/ensemble" --quiet >/dev/null
mv "$work"/ensemble/bands.csv "$work"/ensemble/annual_bands.csv "$work"/ensemble/summary.csv "$work"/
files="synthetic.dat model.json generated.dat bands.csv annual_bands.csv summary.csv"

if [ "${2:-}" = "--write" ]; then
    mkdir -p "$reference"
    for f in $files; do cp "$work/$f" "$reference/$f"; done
    echo "wrote the reference in $reference from $build"
    exit 0
fi
failed=0
for f in $files; do
    if ! cmp -s "$work/$f" "$reference/$f"; then
        echo "$f from $build differs from $reference/$f:"
        diff "$reference/$f" "$work/$f" | head -8 || true
        failed=1
    fi
done
[ $failed -eq 0 ] && echo "$build gives the reference bytes: $files"
exit $failed
