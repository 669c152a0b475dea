#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test, then runs the
# core tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
echo "All tests passed."
