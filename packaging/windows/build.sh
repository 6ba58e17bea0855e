#!/usr/bin/env bash
# Cross-builds Pelorin for 64-bit Windows on this Debian machine (12 or 13), runs the Windows
# tests and the installer check under Wine, and packs build-win/pelorin-<version>-win64.zip
# and build-win/pelorin-<version>-win64-setup.exe.
#
#   packaging/windows/build.sh
#   PELORIN_QT_WIN=/path/to/qt packaging/windows/build.sh    # use a Qt for Windows already built
#
# The first run builds Qt for Windows from Debian's own qt6-base source (20-30 minutes on
# two cores) into ~/.cache/pelorin; every later run reuses it. A step that fails stops the
# script with one line naming the step; otherwise it ends with one line:
#   windows (Qt X.Y.Z): N passed, N failed, N not built (names)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
fail() { echo "windows build stopped: $*" >&2; exit 1; }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
. tools/deps.sh
. packaging/windows/qt.sh

# xz-utils unpacks Qt's source, ca-certificates lets apt reach https mirrors, perl runs
# Qt's header generator; a minimal Debian has none of them.
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" qt6-base-dev-tools \
    g++-mingw-w64-x86-64-posix ninja-build wine wine64 nsis xz-utils ca-certificates perl ||
    fail "could not install the packages it needs: run it as root or with sudo, with apt's sources reachable"

version=$(sed -nE 's/^project\(Pelorin VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
ensure_qt_windows
qt_version=$(cat "$qt"/lib/cmake/Qt6/Qt6ConfigVersion*.cmake 2>/dev/null | sed -nE 's/^set\(PACKAGE_VERSION "([0-9.]+)"\).*/\1/p' | head -n 1)
[ -n "$qt_version" ] || fail "$qt/lib/cmake/Qt6 names no Qt version: is it a complete Qt prefix?"
echo "Qt $qt_version for Windows: $qt"

build=$root/build-win
bin=$build/bin
export WINEPREFIX=$build/wine
mkdir -p "$bin"

# The Windows style has another name from Qt 6.7 on; deploy the one this prefix has.
style=
for name in qmodernwindowsstyle qwindowsvistastyle; do
    [ -f "$qt/plugins/styles/$name.dll" ] && { style=styles/$name; break; }
done
[ -n "$style" ] || fail "$qt/plugins/styles holds neither qmodernwindowsstyle nor qwindowsvistastyle: is the Qt build complete?"
QT_DLLS=(Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport)
QT_PLUGINS=(platforms/qwindows platforms/qoffscreen "$style")
# The runtime beside the executables, so that Wine (and a user's machine) finds it there.
runtime_dlls() {
    local name
    for name in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        x86_64-w64-mingw32-g++-posix -print-file-name="$name"
    done
}
deploy() { # DIR [extra Qt DLLs...]
    local dir=$1 name
    shift
    mkdir -p "$dir"
    for name in "${QT_DLLS[@]}" "$@"; do cp -u "$qt/bin/$name.dll" "$dir/" || return 1; done
    for name in "${QT_PLUGINS[@]}"; do
        mkdir -p "$dir/$(dirname "$name")" && cp -u "$qt/plugins/$name.dll" "$dir/$name.dll" || return 1
    done
    for name in $(runtime_dlls); do cp -u "$name" "$dir/" || return 1; done
}
deploy "$bin" Qt6Test || fail "could not copy Qt and the MinGW runtime beside the programs: see the message above"

"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELORIN_TESTS=ON \
    -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$bin" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/packaging/windows/wine-run.sh" >/dev/null ||
    fail "could not configure the Windows build: see CMake's messages above"
cmake --build "$build" -j"$(nproc)" || fail "the Windows build broke: see the compiler's messages above"

# The Wine prefix, made once; its drive C also answers as the administrative share
# \\localhost\C$, as on Windows, for the tests of paths through a share.
packaging/windows/wine-run.sh wineboot -i >/dev/null 2>&1 || fail "could not start Wine in $WINEPREFIX: delete that folder and run again"
mkdir -p "$WINEPREFIX/dosdevices/unc/localhost" && ln -sfn ../../../drive_c "$WINEPREFIX/dosdevices/unc/localhost/c\$"

# The tests, each under Wine, headless: no display reaches Wine, and the tests with a window
# run on Qt's offscreen platform (CTest passes them -platform offscreen).
passed=0
failed=0
if env -u DISPLAY -u WAYLAND_DISPLAY ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600 \
        | tee "$build/ctest.log"; then :; fi
failed_names=$(sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) \(.*/\1/p' "$build/ctest.log" | paste -sd' ' -)
line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$build/ctest.log" | tail -n 1 || true)
[ -n "$line" ] || fail "CTest ran no tests: see its messages above"
total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
failed=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
passed=$((total - failed))

# The packages: a portable folder as a zip, and the installer.
stage=$build/stage/Pelorin
rm -rf "$build/stage"
deploy "$stage" || fail "could not stage the package: see the message above"
cp "$bin/pelorin.exe" "$bin/kvdtool.exe" "$stage/"
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll ||
    fail "could not strip the packaged programs: see the message above"
# What the uninstaller removes: the staged files and folders, and nothing else.
files=$build/stage/files.nsh
(cd "$stage" && find . -type f | sort | sed -E 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
    find . -mindepth 1 -type d | sort -r | sed -E 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|') > "$files"
zip=$build/pelorin-$version-win64.zip
setup=$build/pelorin-$version-win64-setup.exe
rm -f "$zip" "$setup"
(cd "$build/stage" && cmake -E tar cf "$zip" --format=zip Pelorin) || fail "could not pack $zip: see the message above"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DICON="$build/icons/org.pelorin.Pelorin.ico" \
    -DOUTFILE="$setup" packaging/windows/pelorin.nsi || fail "could not make the installer: see makensis's messages above"
ls -l "$zip" "$setup" | awk '{ printf "%s: %.1f MB\n", $NF, $5 / 1048576 }'

# The installer in each of its modes, in a Wine prefix of its own.
if packaging/windows/installer-check.sh "$setup" | tee "$build/installer-check.log"; then :; fi
checks=$(tail -n 1 "$build/installer-check.log")
if [[ $checks =~ ^installer:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
    [ "${BASH_REMATCH[2]}" -eq 0 ] || failed_names+=" installer-check"
else
    failed=$((failed + 1))
    failed_names+=" installer-check"
fi

not_built=$(sed -E 's/^([^:]+):.*/\1/' "$build/not-built.txt" | paste -sd, - | sed 's/,/, /g')
count_not_built=$(grep -c . "$build/not-built.txt" || true)
echo
[ -n "${failed_names// /}" ] && echo "failed under Wine: ${failed_names# }"
echo "not built for Windows:"
sed 's/^/  /' "$build/not-built.txt"
echo "windows (Qt $qt_version): $passed passed, $failed failed, $count_not_built not built ($not_built)"
[ "$failed" -eq 0 ]
