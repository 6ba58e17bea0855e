#!/usr/bin/env bash
# The short fuzzing step of test.sh: builds the targets, replays every committed corpus
# file, then fuzzes a fixed number of runs from a fixed seed (about twenty seconds); the same
# for the text reader (about ten seconds). fuzz/check.sh [RUNS] [TEXT_RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-2000}
text_runs=${2:-10000}
fuzz/build.sh
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/artifacts
run() {
    local target=$1
    shift
    if ! "build-fuzz/$target" "$@" >"$work/log" 2>&1; then
        tail -n 40 "$work/log"
        exit 1
    fi
}
run fuzz_roundtrip tests/corpus/*.kvd
echo "fuzz: replayed $(ls tests/corpus/*.kvd | wc -l) corpus files"
mkdir "$work/units"
run fuzz_roundtrip -runs="$runs" -seed=1 -max_len=4096 -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ "$work/units" tests/corpus
grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$work/log"

# The text reader of kvdtool create and set --from, on its own: quick, so many more runs.
run fuzz_textreader fuzz/textreader/*
echo "fuzz: replayed $(ls fuzz/textreader | wc -l) text corpus files"
mkdir "$work/texts"
run fuzz_textreader -runs="$text_runs" -seed=1 -max_len=4096 -dict=fuzz/textreader.dict -print_final_stats=1 \
    -artifact_prefix=build-fuzz/artifacts/ "$work/texts" fuzz/textreader
grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$work/log"
