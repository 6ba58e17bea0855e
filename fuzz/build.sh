#!/usr/bin/env bash
# Builds the fuzz target in build-fuzz with clang; a second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$(nproc)"
