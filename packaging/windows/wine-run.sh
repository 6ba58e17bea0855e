#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: the build's own Wine prefix, no Wine
# debug output, and no prompts to install Wine's .NET or browser engine.
#   packaging/windows/wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build-win/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
