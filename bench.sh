#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench), runs them offscreen and prints one table:
# start-up, Open, Save As, Print and peak memory, against a bare Qt window with the same
# widgets; then bench/kvdtool_bench.sh (KVDTOOL=0 leaves it out). The machine should be otherwise idle; the table shows the load it saw.
#   ./bench.sh                 everything, with callgrind instruction counts
#   CALLGRIND=0 ./bench.sh     without callgrind (about a minute quicker)
#   REPETITIONS=N MEMORY_RUNS=N ./bench.sh
# Each repetition's time goes to build-bench/bench-details.log.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
packages=("${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" libbenchmark-dev)
[ "${CALLGRIND:-1}" = 1 ] && packages+=(valgrind)
ensure_packages "${packages[@]}"

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPELORIN_BENCH=ON -DPELORIN_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target pelorin_bench kvdtool >/dev/null

cd build-bench
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
args=(../examples/sample.kvd --memory-runs "${MEMORY_RUNS:-7}"
      --benchmark_repetitions="${REPETITIONS:-7}" --benchmark_min_time=0.3)
[ "${CALLGRIND:-1}" = 1 ] && args+=(--callgrind)
if ! ./bench/pelorin_bench "${args[@]}" 2>bench-details.log; then
    tail -n 20 bench-details.log >&2
    exit 1
fi
[ "${KVDTOOL:-1}" = 1 ] && ../bench/kvdtool_bench.sh build-bench/tools/kvdtool/kvdtool examples/sample.kvd
exit 0
