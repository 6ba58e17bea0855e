#!/usr/bin/env bash
# Takes a picture of each of the four pages with the sample loaded, in a real X server,
# into docs/page-<n>.png. Run it again after a layout change: ./docs/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" xvfb xauth openbox xdotool imagemagick
cmake -S . -B build >/dev/null
cmake --build build --target pelorin -j"$(nproc)" >/dev/null
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    openbox >/dev/null 2>&1 &
    sleep 1
    build/pelorin examples/sample.kvd >/dev/null 2>&1 &
    pid=$!
    window=$(xdotool search --sync --name "^Pelorin - ")
    sleep 1
    # The tabs stand in one row under the menu bar and the toolbar.
    tabs_x=(60 180 315 440)
    for page in 0 1 2 3; do
        xdotool mousemove --window "$window" "${tabs_x[$page]}" 62 click 1
        xdotool mousemove --window "$window" 700 480
        sleep 0.5
        import -window "$window" "docs/page-$((page + 1)).png"
    done
    kill "$pid"
'
echo "docs/page-1.png .. docs/page-4.png written"
