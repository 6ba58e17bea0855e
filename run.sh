#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor: ./run.sh [FILE.kvd]
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
cmake -S . -B build >/dev/null
cmake --build build --target pelorin -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "no display: set DISPLAY, or run it under xvfb-run" >&2
    exit 1
fi
# With no file named, show the sample so the first start has a document to look at.
[ $# -eq 0 ] && set -- examples/sample.kvd
exec build/pelorin "$@"
