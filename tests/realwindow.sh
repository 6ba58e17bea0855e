#!/usr/bin/env bash
# Starts the editor with a file in a real X server with a window manager, waits for its
# window "Pelorin - <path>", and closes it as a user would. Proves what the offscreen
# tests cannot: the X11 platform plugin, fonts and start-up.
# usage: realwindow.sh PELORIN FILE
set -uo pipefail
pelorin=$1
file=$(realpath "$2")
for tool in xvfb-run openbox wmctrl; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
unset QT_QPA_PLATFORM
# The file it opens goes to a recent-files list of its own, not the developer's.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    pelorin=$1 file=$2
    openbox >/dev/null 2>&1 &
    # A busy machine can take seconds to bring up the window manager and the window.
    for _ in $(seq 300); do wmctrl -l >/dev/null 2>&1 && break; sleep 0.1; done
    wmctrl -l >/dev/null 2>&1 || { echo "the window manager did not start"; exit 1; }
    "$pelorin" "$file" &
    pid=$!
    title="Pelorin - $file"
    found=
    for _ in $(seq 300); do
        if wmctrl -l | grep -qF -- "$title"; then found=1; break; fi
        sleep 0.1
    done
    if [ -z "$found" ]; then
        echo "no window titled \"$title\" appeared; windows:"; wmctrl -l
        kill "$pid"; exit 1
    fi
    wmctrl -c "$title"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then echo "the window did not close"; kill "$pid"; exit 1; fi
    wait "$pid"
    status=$?
    echo "window \"$title\" appeared and closed (exit $status)"
    exit "$status"
' _ "$pelorin" "$file"
