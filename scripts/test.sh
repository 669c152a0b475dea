#!/usr/bin/env bash
# Checks formatting and the windows' include rule, builds everything with
# warnings as errors and runs every test, checks that the clang build's
# generated weather and ensembles are the g++ build's to the byte, runs the
# core tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs each fuzz target for a short time from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

scripts/check_format.sh
scripts/check_includes.sh

cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

# The same seeds give the same bytes with clang as with g++.
cmake --preset clang
cmake --build --preset clang -j "$jobs" --target hydload weathergen
scripts/portable_numbers.sh build/clang

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

scripts/fuzz_smoke.sh "${FUZZ_SECONDS:-20}"
echo "All tests passed."
