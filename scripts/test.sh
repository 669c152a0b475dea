#!/usr/bin/env bash
# Checks formatting and the windows' include rule, builds everything with
# warnings as errors and runs every test, runs the core tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs each fuzz target
# for a short time from its seed corpus.
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

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

scripts/fuzz_smoke.sh "${FUZZ_SECONDS:-20}"
echo "All tests passed."
