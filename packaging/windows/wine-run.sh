#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: the build's own Wine prefix, no Wine
# debug output, and no prompts to install Wine's .NET or browser engine.
#   packaging/windows/wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build-win/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
case $(basename "$1") in
tst_*.exe)
    # A Qt test with no console writes its report to the debugger, which Wine drops: it goes
    # to a file and from there to our output, so that CTest shows why a test failed.
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    status=0
    wine "$@" -o "$log,txt" || status=$?
    cat "$log"
    exit "$status"
    ;;
esac
exec wine "$@"
