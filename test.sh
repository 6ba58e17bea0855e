#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once plainly, once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" xvfb xauth openbox wmctrl desktop-file-utils \
    clang libclang-rt-14-dev util-linux
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build -DPELORIN_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DPELORIN_TESTS=ON -DPELORIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# The fuzz target, built with clang for libFuzzer: the corpus once, then a short fixed run.
fuzz/check.sh
