#!/usr/bin/env bash
# Times whole hydload processes, start to exit, on a 100-year run of a
# 25-land-use watershed at levels 1 and 4, reading every input file and writing
# both result files. The inputs are made here: 100 years of weathergen weather
# and the Millbrook example's transport and nutrient data spread over 25 land
# uses. Usage: bench/end_to_end.sh [BUILD_DIR]   (default build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
hydload=$build/bin/hydload
weathergen=$build/bin/weathergen
# E2E_DIR keeps the inputs (for profiling); otherwise they go to a temporary folder.
if [ -n "${E2E_DIR:-}" ]; then
    work=$E2E_DIR
    mkdir -p "$work"
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

"$weathergen" --years 100 --seed 11 "$work/Weather.dat" >/dev/null

# 20 rural and 5 urban land uses, built from the example's ten.
awk 'NR <= 19 { if (NR == 1) print "20,5"; else print; next }
     NR >= 20 && NR <= 27 { rural[NR - 19] = $0 }
     NR >= 28 { urban[NR - 27] = $0 }
     END {
       for (i = 0; i < 20; ++i) { split(rural[i % 8 + 1], f, ","); printf "\"Rural %d\",%g,%s,%s\n", i + 1, f[2] / 2.5, f[3], f[4] }
       for (i = 0; i < 5; ++i) { split(urban[i % 2 + 1], f, ","); printf "\"Urban %d\",%g,%s,%s\n", i + 1, f[2] / 2.5, f[3], f[4] }
     }' examples/Millbrook/Transprt.dat >"$work/Transprt.dat"

# Nutrient data for those land uses: manure on 3, septic data, year-1 point sources only.
{
    echo "3000,1100,1.4,.014"
    echo "3,6,8,11,2"
    for i in $(seq 20); do echo "2.9,.26"; done
    for i in $(seq 5); do echo ".095,.015"; done
    for i in 1 2 3; do echo "12.2,1.9"; done
    for m in $(seq 12); do echo "2850,420"; done
    echo "1"
    for m in $(seq 12); do echo "5200,380,160,45"; done
    echo "12,2.5,1.6,.4"
} >"$work/Nutrient.dat"

run() {
    "$hydload" run --transport "$work/Transprt.dat" --nutrient "$work/Nutrient.dat" \
        --weather "$work/Weather.dat" --years 100 --level "$1" --out "$work" --quiet >/dev/null
}
run 1
run 4
if command -v hyperfine >/dev/null; then
    for level in 1 4; do
        hyperfine -N --warmup 5 --runs 100 \
            "$hydload run --transport $work/Transprt.dat --nutrient $work/Nutrient.dat --weather $work/Weather.dat --years 100 --level $level --out $work --quiet"
    done
else
    for level in 1 4; do
        start=$(date +%s%N)
        for i in $(seq 50); do run "$level"; done
        end=$(date +%s%N)
        echo "level $level: $(( (end - start) / 50000 )) us per 100-year run (mean of 50 processes)"
    done
fi
/usr/bin/time -v "$hydload" run --transport "$work/Transprt.dat" --nutrient "$work/Nutrient.dat" \
    --weather "$work/Weather.dat" --years 100 --level 4 --out "$work" --quiet 2>&1 >/dev/null |
    grep -E "Maximum resident|Elapsed" || true
