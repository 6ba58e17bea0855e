#!/usr/bin/env bash
# Takes a picture of each of the four pages with the sample loaded, in a real X server,
# into docs/page-<n>.png, then of the Edit menu after a Delete (docs/edit-menu.png) and of
# the Compare dialog with its check boxes (docs/compare.png). Run it again after a layout
# change: ./docs/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" xvfb xauth openbox xdotool imagemagick
cmake -S . -B build >/dev/null
cmake --build build --target pelorin kvdtool -j"$(nproc)" >/dev/null
unset QT_QPA_PLATFORM

# The file Compare reads: the sample with a few values of another machine.
other=$(mktemp -d)
trap 'rm -rf "$other"' EXIT
cp examples/sample.kvd "$other/plasma-b.kvd"
build/tools/kvdtool/kvdtool set -s 'cut[2].OnSeq[2]="G04P8"' -s 'KerfValueWord="K"' -s 'NormalPrecisionInch=2.5' \
    -s 'RapidModal=0' "$other/plasma-b.kvd" >/dev/null
export OTHER="$other/plasma-b.kvd"

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

    # Delete > Cut Process, then the Edit menu open over the window.
    xdotool key --window "$window" alt+d c
    sleep 0.5
    xdotool key --window "$window" alt+e
    sleep 0.7
    # The menu is a window of its own: taken from the screen where the main window stands.
    read -r X Y W H < <(xwininfo -id "$window" | awk -F: "/Absolute upper-left X/ {x=\$2} /Absolute upper-left Y/ {y=\$2} /Width/ {w=\$2} /Height/ {h=\$2} END {print x, y, w, h}")
    import -window root -crop "${W}x${H}+${X}+${Y}" +repage docs/edit-menu.png
    xdotool key Escape ctrl+z
    sleep 0.3

    # Tools > Compare with File..., every row ticked.
    xdotool key --window "$window" alt+t c
    sleep 1.5
    xdotool type --delay 20 "$OTHER"
    xdotool key Return
    compare=$(xdotool search --sync --name "^Compare$")
    sleep 0.5
    xdotool key --window "$compare" alt+a
    sleep 0.5
    import -window "$compare" docs/compare.png
    kill "$pid"
'
echo "docs/page-1.png .. docs/page-4.png, docs/edit-menu.png and docs/compare.png written"
