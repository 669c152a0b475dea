#!/usr/bin/env bash
# Times whole hydload processes, start to exit:
#  - `hydload run` of a 100-year, 25-land-use watershed at levels 1 and 4,
#    reading every input file and writing both result files, once with the
#    files on local disk and once in memory (/dev/shm); median of many runs;
#  - `hydload batch` of the example's 62-row, 30-year control file
#    (examples/Millbrook/RunSubbasins62.dat) at level 4 with --jobs 2;
#  - a 200-row, 100-year level-4 batch with --jobs 1 and --jobs 2, and the
#    speed-up between them.
# The run's inputs are made here: 100 years of weathergen weather and the
# Millbrook example's transport and nutrient data spread over 25 land uses.
# Usage: bench/end_to_end.sh [BUILD_DIR]   (default build/bench)
# RUNS sets the number of timed processes per figure (default 101).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
hydload=$build/bin/hydload
weathergen=$build/bin/weathergen
runs=${RUNS:-101}
# E2E_DIR keeps the inputs (for profiling); otherwise they go to a temporary folder.
if [ -n "${E2E_DIR:-}" ]; then
    work=$E2E_DIR
    mkdir -p "$work"
else
    work=$(mktemp -d "${TMPDIR:-/var/tmp}/rivulon-e2e.XXXXXX")
fi
shm=""
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    shm=$(mktemp -d /dev/shm/rivulon-e2e.XXXXXX)
fi
cleanup() {
    [ -n "${E2E_DIR:-}" ] || rm -rf "$work"
    [ -z "$shm" ] || rm -rf "$shm"
}
trap cleanup EXIT

"$weathergen" --years 100 --seed 11 "$work/Weather.dat" >/dev/null

# 20 rural and 5 urban land uses, built from the example's ten.
awk 'NR <= 19 { if (NR == 1) print "20,5"; else print; next }
     NR >= 20 && NR <= 27 { rural[NR - 19] = $0 }
     NR >= 28 { urban[NR - 27] = $0 }
     END {
       # a name may hold a comma: the numbers are the last three fields
       for (i = 0; i < 20; ++i) { n = split(rural[i % 8 + 1], f, ","); printf "\"Rural %d\",%g,%s,%s\n", i + 1, f[n - 2] / 2.5, f[n - 1], f[n] }
       for (i = 0; i < 5; ++i) { n = split(urban[i % 2 + 1], f, ","); printf "\"Urban %d\",%g,%s,%s\n", i + 1, f[n - 2] / 2.5, f[n - 1], f[n] }
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

# Median wall time of a command over $runs processes, in ms (after 5 warm-ups).
median_ms() {
    python3 - "$runs" "$@" <<'EOF'
import statistics, subprocess, sys, time
n = int(sys.argv[1])
cmd = sys.argv[2:]
for _ in range(5):
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
times = []
for _ in range(n):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    times.append(time.perf_counter() - t)
times.sort()
print(f"median {statistics.median(times) * 1000:.2f} ms (min {times[0] * 1000:.2f}, "
      f"90th percentile {times[int(len(times) * 0.9)] * 1000:.2f}; {n} runs)")
EOF
}

run_args() { # run_args DIR LEVEL
    echo run --transport "$1/Transprt.dat" --nutrient "$1/Nutrient.dat" \
        --weather "$1/Weather.dat" --years 100 --level "$2" --out "$1/out" --quiet
}

echo "hydload run, 100 years, 25 land uses, process start to exit:"
places=("local disk:$work")
if [ -n "$shm" ]; then
    cp "$work"/Transprt.dat "$work"/Nutrient.dat "$work"/Weather.dat "$shm"/
    places+=("memory (/dev/shm):$shm")
fi
for place in "${places[@]}"; do
    label=${place%%:*}
    dir=${place#*:}
    for level in 1 4; do
        # shellcheck disable=SC2046
        printf '  level %d, %-18s %s\n' "$level" "$label:" \
            "$(median_ms "$hydload" $(run_args "$dir" "$level"))"
        # shellcheck disable=SC2046
        printf '  level %d, %-18s %s\n' "$level" "$label, --daily:" \
            "$(median_ms "$hydload" $(run_args "$dir" "$level") --daily "$dir/out/Daily.csv")"
    done
done
# Instructions of a whole process, which a busy machine does not change.
if command -v valgrind >/dev/null; then
    for level in 1 4; do
        # shellcheck disable=SC2046
        ir=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$hydload" \
            $(run_args "$work" "$level") 2>&1 >/dev/null | sed -n 's/.*refs: *//p')
        echo "  level $level: $ir instructions (callgrind)"
    done
fi
# Memory touched for the first time is a large part of a short run's time on
# a virtual machine (each page fault can cost some microseconds).
for level in 1 4; do
    # shellcheck disable=SC2046
    /usr/bin/time -v "$hydload" $(run_args "$work" "$level") 2>&1 >/dev/null |
        grep -E "Maximum resident|Minor .*page faults" | sed "s/^\s*/  level $level, /" || true
done

# Batches. The project is the example's, in a folder of its own.
project=$work/project
mkdir -p "$project"
# The whole example: the project names its maps and database too.
cp examples/Millbrook/* "$project"/
batch_s() { # batch_s CONTROL PROJECT JOBS YEARS -> microseconds of the fastest of 3
    local best="" t start
    for i in 1 2 3; do
        rm -rf "$work/batch-out"
        start=$(date +%s%N)
        "$hydload" batch "$1" --project "$2" --out "$work/batch-out" \
            --jobs "$3" --years "$4" --level 4 --quiet >/dev/null
        t=$((($(date +%s%N) - start) / 1000))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    echo "$best"
}
fmt_s() { awk -v us="$1" 'BEGIN { printf "%.3f s", us / 1e6 }'; }

echo "hydload batch, level 4, local disk (fastest of 3, process start to exit):"
t62=$(batch_s "$project/RunSubbasins62.dat" "$project/Millbrook.prj" 2 30)
echo "  62 rows x 30 years (RunSubbasins62.dat), --jobs 2: $(fmt_s "$t62")"

# 200 rows of 100 years over the 25-land-use watershed above (the example's
# weather and point sources cover 30 years): the option sets of the
# example's four rows, each row naming the 100-year input files.
big=$work/project100
mkdir -p "$big"
cp "$work"/Transprt.dat "$work"/Nutrient.dat "$work"/Weather.dat "$big"/
# The files it does not hold are named "Not Found", as the program names them.
sed -E 's/^(WeatherDelayFile|USGSFlowFile|LandUseMap|CountyMap|SoilMap|DataFile \(Access\)), .*/\1, "Not Found"/' \
    examples/Millbrook/Millbrook.prj \
    >"$big/Bench.prj"
{
    echo 200
    sed -n 2p examples/Millbrook/RunSubbasins.dat
    for i in $(seq 0 199); do
        sed -n "$((i % 4 + 3))p" examples/Millbrook/RunSubbasins.dat |
            awk -F, -v OFS=, '{
                # the name may hold a comma: the file fields are counted from the end
                $(NF - 13) = "\"Transprt.dat\""; $(NF - 12) = "\"Nutrient.dat\""
                $(NF - 11) = "\"Weather.dat\""; print }'
    done
} >"$big/RunBench200.dat"
t1=$(batch_s "$big/RunBench200.dat" "$big/Bench.prj" 1 100)
t2=$(batch_s "$big/RunBench200.dat" "$big/Bench.prj" 2 100)
echo "  200 rows x 100 years, --jobs 1: $(fmt_s "$t1")"
echo "  200 rows x 100 years, --jobs 2: $(fmt_s "$t2")"
awk -v a="$t1" -v b="$t2" 'BEGIN { printf "  speed-up of --jobs 2 over --jobs 1: %.2fx\n", a / b }'
