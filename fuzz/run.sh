#!/usr/bin/env bash
# A long fuzzing run: ./fuzz/run.sh [seconds] [roundtrip|textreader] (default 600 seconds
# of roundtrip). New inputs collect in build-fuzz/work (build-fuzz/work-textreader), crashes
# and broken properties in build-fuzz/artifacts; the committed corpus is only read.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
target=${2:-roundtrip}
fuzz/build.sh
mkdir -p build-fuzz/artifacts
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
case $target in
roundtrip)
    mkdir -p build-fuzz/work
    exec build-fuzz/fuzz_roundtrip -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
        -artifact_prefix=build-fuzz/artifacts/ build-fuzz/work tests/corpus ;;
textreader)
    mkdir -p build-fuzz/work-textreader
    exec build-fuzz/fuzz_textreader -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
        -dict=fuzz/textreader.dict -artifact_prefix=build-fuzz/artifacts/ build-fuzz/work-textreader fuzz/textreader ;;
*)
    echo "usage: fuzz/run.sh [seconds] [roundtrip|textreader]" >&2
    exit 2 ;;
esac
