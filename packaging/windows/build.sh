#!/usr/bin/env bash
# Cross-builds Pelorin for 64-bit Windows on this Debian machine, runs the Windows tests
# under Wine, and packs build-win/pelorin-<version>-win64.zip and
# build-win/pelorin-<version>-win64-setup.exe.
#
#   packaging/windows/build.sh
#   PELORIN_QT_WIN=/path/to/qt packaging/windows/build.sh    # use a Qt for Windows already built
#
# The first run builds Qt for Windows from Debian's own qt6-base source (well over an hour
# on two cores) into ~/.cache/pelorin; every later run reuses it. It ends with one line:
#   windows: N passed, N failed, N not built (names: reasons)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
. tools/deps.sh
. packaging/windows/qt.sh

ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" qt6-base-dev-tools \
    g++-mingw-w64-x86-64-posix ninja-build wine wine64 nsis

version=$(sed -nE 's/^project\(Pelorin VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
qt=$(ensure_qt_windows)
echo "Qt for Windows: $qt"

build=$root/build-win
bin=$build/bin
export WINEPREFIX=$build/wine
mkdir -p "$bin"

# The runtime beside the executables, so that Wine (and a user's machine) finds it there.
runtime_dlls() {
    local name
    for name in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        x86_64-w64-mingw32-g++-posix -print-file-name="$name"
    done
}
QT_DLLS=(Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport)
QT_PLUGINS=(platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle)
deploy() { # DIR [extra Qt DLLs...]
    local dir=$1 name
    shift
    mkdir -p "$dir"
    for name in "${QT_DLLS[@]}" "$@"; do cp -u "$qt/bin/$name.dll" "$dir/"; done
    for name in "${QT_PLUGINS[@]}"; do
        mkdir -p "$dir/$(dirname "$name")"
        cp -u "$qt/plugins/$name.dll" "$dir/$name.dll"
    done
    runtime_dlls | xargs -I{} cp -u {} "$dir/"
}
deploy "$bin" Qt6Test

"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELORIN_TESTS=ON \
    -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$bin" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/packaging/windows/wine-run.sh" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The tests, each under Wine, headless.
failed_names=()
passed=0
failed=0
# Headless: no display reaches Wine, and the tests with a window run on Qt's offscreen
# platform (CTest passes them -platform offscreen).
if env -u DISPLAY -u WAYLAND_DISPLAY ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600 \
        | tee "$build/ctest.log"; then :; fi
while read -r name; do failed_names+=("$name"); done < <(sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) \(.*/\1/p' "$build/ctest.log")
line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$build/ctest.log" | tail -n 1 || true)
if [ -n "$line" ]; then
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    failed=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((total - failed))
fi

# The packages: a portable folder as a zip, and the installer.
stage=$build/stage/Pelorin
rm -rf "$build/stage"
deploy "$stage"
cp "$bin/pelorin.exe" "$bin/kvdtool.exe" "$stage/"
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
zip=$build/pelorin-$version-win64.zip
setup=$build/pelorin-$version-win64-setup.exe
rm -f "$zip" "$setup"
(cd "$build/stage" && cmake -E tar cf "$zip" --format=zip Pelorin)
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$build/icons/org.pelorin.Pelorin.ico" \
    -DOUTFILE="$setup" packaging/windows/pelorin.nsi
ls -l "$zip" "$setup" | awk '{ printf "%s: %.1f MB\n", $NF, $5 / 1048576 }'

not_built=$(sed -E 's/^([^:]+):.*/\1/' "$build/not-built.txt" | paste -sd, - | sed 's/,/, /g')
count_not_built=$(grep -c . "$build/not-built.txt" || true)
echo
[ ${#failed_names[@]} -gt 0 ] && echo "failed under Wine: ${failed_names[*]}"
echo "not built for Windows:"
sed 's/^/  /' "$build/not-built.txt"
echo "windows: $passed passed, $failed failed, $count_not_built not built ($not_built)"
[ "$failed" -eq 0 ]
