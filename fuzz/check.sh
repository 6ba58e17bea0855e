#!/usr/bin/env bash
# The short fuzzing step of test.sh: builds the target, replays every committed corpus
# file, then fuzzes a fixed number of runs from a fixed seed (about twenty seconds).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-2000}
fuzz/build.sh
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/artifacts
run() {
    if ! build-fuzz/fuzz_roundtrip "$@" >"$work/log" 2>&1; then
        tail -n 40 "$work/log"
        exit 1
    fi
}
run tests/corpus/*.kvd
echo "fuzz: replayed $(ls tests/corpus/*.kvd | wc -l) corpus files"
mkdir "$work/units"
run -runs="$runs" -seed=1 -max_len=4096 -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ "$work/units" tests/corpus
grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$work/log"
