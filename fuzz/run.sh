#!/usr/bin/env bash
# A long fuzzing run: ./fuzz/run.sh [seconds] (default 600). New inputs collect in
# build-fuzz/work, crashes and broken properties in build-fuzz/artifacts; the committed
# corpus is only read.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
fuzz/build.sh
mkdir -p build-fuzz/work build-fuzz/artifacts
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
exec build-fuzz/fuzz_roundtrip -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
    -artifact_prefix=build-fuzz/artifacts/ build-fuzz/work tests/corpus
