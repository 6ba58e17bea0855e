#!/usr/bin/env bash
# Starts the editor with a file in a real X server with a window manager, waits for its
# window "Pelorin - <path>", and closes it as a user would. Proves what the offscreen
# tests cannot: the X11 platform plugin, fonts and start-up.
# usage: realwindow.sh PELORIN FILE
set -uo pipefail
pelorin=$1
file=$(realpath "$2")
for tool in Xvfb openbox wmctrl; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
unset QT_QPA_PLATFORM
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$work"' EXIT
# The file it opens goes to a recent-files list of its own, not the developer's.
export XDG_CONFIG_HOME=$work/config

# What the server and the window manager said, for a failure to show.
fail() {
    echo "$1"
    for log in "$work"/*.log; do echo "--- ${log##*/}:"; cat "$log"; done
    exit 1
}

# The server takes the first display it can listen on fully and tells its number when it
# is ready, so a server left by another run, or one in another mount namespace whose lock
# file is out of sight, is never taken for this one. It must not reset when its last client
# leaves: a reset between wmctrl's probe and the window manager's start turned the window
# manager away ("Failed to open the display").
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ -s "$work/display" ] && break; kill -0 "${pids[0]}" 2>/dev/null || break; sleep 0.1; done
[ -s "$work/display" ] || fail "the X server did not start"
export DISPLAY=:$(head -n 1 "$work/display")

# A busy machine can take seconds to bring up the window manager and the window.
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
pids+=("$wm")
for _ in $(seq 300); do
    wmctrl -l >/dev/null 2>&1 && break
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.1
done
wmctrl -l >/dev/null 2>&1 || fail "the window manager did not start on $DISPLAY"

"$pelorin" "$file" >"$work/pelorin.log" 2>&1 &
pid=$!
title="Pelorin - $file"
found=
for _ in $(seq 300); do
    if wmctrl -l | grep -qF -- "$title"; then found=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$found" ]; then
    kill "$pid" 2>/dev/null
    fail "no window titled \"$title\" appeared; windows: $(wmctrl -l)"
fi
wmctrl -c "$title"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fail "the window did not close"; fi
wait "$pid"
status=$?
echo "window \"$title\" appeared and closed (exit $status)"
exit "$status"
