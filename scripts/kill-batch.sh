#!/usr/bin/env bash
# Kills `hydload batch --jobs 2` at random moments and checks that the output
# folder never holds a damaged result file: every Results*/Summary*.dat there
# must equal the file a complete batch writes, byte for byte, and read back as
# a table; the temporaries a killed batch leaves must be gone after the next
# run in the folder.
#
# Usage: scripts/kill-batch.sh [BUILD_DIR] [ROUNDS]   (default build/ci, 20)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
rounds=${2:-20}
hydload=$build/bin/hydload
project=examples/Millbrook/Millbrook.prj
control=examples/Millbrook/RunSubbasins62.dat

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ref=$work/reference
out=$work/out

batch() { # batch OUT [more options]
    local dir=$1
    shift
    "$hydload" batch "$control" --project "$project" --out "$dir" --years 30 --level 4 \
        --jobs 2 --quiet "$@"
}

# The reference: a complete batch; the kill moments fall within the time the
# fastest of three complete batches takes.
batch "$ref" >/dev/null
span_us=0
for i in 1 2 3; do
    start=$(date +%s%N)
    batch "$ref" >/dev/null
    t=$((($(date +%s%N) - start) / 1000))
    if [ "$span_us" -eq 0 ] || [ "$t" -lt "$span_us" ]; then span_us=$t; fi
done
echo "complete batch: $((span_us / 1000)) ms; killing $rounds times within that span"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

check_files() { # every result file present is complete and reads back
    local f name
    for f in "$out"/Results*.dat "$out"/Summary*.dat; do
        [ -e "$f" ] || continue
        name=$(basename "$f")
        if ! cmp -s "$f" "$ref/$name"; then
            fail "round $1: $name differs from the complete batch's"
            continue
        fi
        case $name in
            Results*) "$hydload" table annual "$f" >/dev/null || fail "round $1: $name does not read back" ;;
            Summary*) "$hydload" table summary "$f" >/dev/null || fail "round $1: $name does not read back" ;;
        esac
    done
}

mkdir -p "$out"
killed_mid=0
for round in $(seq "$rounds"); do
    delay_us=$(((RANDOM * 32768 + RANDOM) % (span_us + 1)))
    # Each round starts from an empty folder, so what a kill leaves shows.
    rm -f "$out"/Results*.dat "$out"/Summary*.dat "$out"/SeepCoef.txt
    # exec: the pid killed is hydload's own, not a subshell's.
    (exec "$hydload" batch "$control" --project "$project" --out "$out" --years 30 --level 4 \
        --jobs 2 --quiet >/dev/null 2>&1) &
    pid=$!
    sleep "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
    if kill -KILL "$pid" 2>/dev/null; then
        killed_mid=$((killed_mid + 1))
    fi
    wait "$pid" 2>/dev/null || true
    left=$(find "$out" -maxdepth 1 -name '.rivulon-tmp-*' | wc -l)
    written=$(find "$out" -maxdepth 1 -name 'Results*.dat' | wc -l)
    echo "round $round: killed after $((delay_us / 1000)) ms; $written results files, $left temporaries"
    check_files "$round"

    # The next run in the folder removes what the killed one left.
    batch "$out" --count 1 >/dev/null
    stale=$(find "$out" -maxdepth 1 -name ".rivulon-tmp-$pid[.-]*" | wc -l)
    [ "$stale" -eq 0 ] || fail "round $round: $stale temporaries of the killed batch survived the next run"
    others=$(find "$out" -maxdepth 1 -name '.rivulon-tmp-*' | wc -l)
    [ "$others" -eq 0 ] || fail "round $round: $others temporaries left after a complete run"
    check_files "$round (after the next run)"
done

echo "$killed_mid of $rounds batches were killed while running"
if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "all rounds passed"
