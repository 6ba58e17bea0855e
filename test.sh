#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once plainly, once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" xvfb xauth openbox wmctrl desktop-file-utils \
    clang libclang-rt-dev util-linux
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
passed=0
failed=0

# Runs one build's tests and adds its counts to the closing line.
run_tests() {
    ctest --test-dir "$1" --output-on-failure -j"$jobs" | tee "$1/ctest.log"
    local line total fails
    line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$1/ctest.log" | tail -n 1)
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    fails=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - fails))
    failed=$((failed + fails))
}

cmake -S . -B build -DPELORIN_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
run_tests build

cmake -S . -B build-asan -DPELORIN_TESTS=ON -DPELORIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$jobs"
run_tests build-asan

# The fuzz target, built with clang for libFuzzer: the corpus once, then a short fixed run.
fuzz/check.sh
passed=$((passed + 1))

echo
echo "tests: $passed passed, $failed failed"
