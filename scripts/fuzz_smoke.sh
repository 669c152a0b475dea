#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, the "fuzz" preset) and runs each one
# for a short time from its seed corpus in fuzz/corpus/<reader>/. New inputs
# go to a scratch folder, never into the repository. Seconds per target:
# the first argument, 20 by default.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for target in build/fuzz/bin/fuzz_*; do
    name=$(basename "$target")
    seeds="$PWD/fuzz/corpus/${name#fuzz_}"
    mkdir -p "$scratch/$name"
    log="$scratch/$name.log"
    if (cd "$scratch" && "$OLDPWD/$target" -max_total_time="$seconds" -print_final_stats=1 \
            "$scratch/$name" "$seeds" >"$log" 2>&1); then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$name: ${runs:-?} inputs in ${seconds} s, no finding"
    else
        echo "$name: FINDING"
        tail -40 "$log"
        failed=1
    fi
done
[ $failed -eq 0 ] && echo "Fuzz targets ran ${seconds} s each without a finding."
exit $failed
