# Sourced by build.sh: sets `qt` to a Qt for Windows, built once from Debian's own qt6-base
# source package so that it matches the host's moc/rcc/uic exactly, into a cache outside
# the checkout. PELORIN_QT_WIN names an already built prefix instead. Uses build.sh's
# `fail` and `as_root`.

# The Debian version of the host's Qt, without the epoch and Debian revision: 6.4.2.
host_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev | sed -E 's/^[0-9]+://; s/[-+~].*//'
}

# apt-get source needs deb-src entries; they mirror the deb entries already configured.
ensure_deb_src() {
    local dir=/etc/apt/sources.list.d
    grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list "$dir" && return 0
    if [ -f "$dir/debian.sources" ]; then
        sed -E 's/^Types:.*/Types: deb-src/' "$dir/debian.sources" | as_root tee "$dir/pelorin-deb-src.sources" >/dev/null
    else
        grep -hE '^deb ' /etc/apt/sources.list | sed -E 's/^deb /deb-src /' | as_root tee "$dir/pelorin-deb-src.list" >/dev/null
    fi && as_root apt-get update -qq
}

write_toolchain() { # FILE
    cat > "$1" <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC
}

# The prefix keeps its own toolchain file and qt.toolchain.cmake loads it from beside
# itself, so the prefix still works once the source folder is gone or the prefix moved.
make_standalone() {
    local file=$1/lib/cmake/Qt6/qt.toolchain.cmake
    [ -f "$1/mingw-toolchain.cmake" ] && grep -qF '${CMAKE_CURRENT_LIST_DIR}/../../../mingw-toolchain.cmake' "$file" && return 0
    write_toolchain "$1/mingw-toolchain.cmake" && sed -i -E 's|^(set\(__qt_initially_configured_toolchain_file ).*|\1"${CMAKE_CURRENT_LIST_DIR}/../../../mingw-toolchain.cmake")|' "$file" &&
        grep -qF '${CMAKE_CURRENT_LIST_DIR}/../../../mingw-toolchain.cmake' "$file"
}

ensure_qt_windows() {
    if [ -n "${PELORIN_QT_WIN:-}" ]; then
        [ -x "$PELORIN_QT_WIN/bin/qt-cmake" ] || fail "PELORIN_QT_WIN=$PELORIN_QT_WIN holds no Qt for Windows: name the folder that has bin/qt-cmake"
        qt=$PELORIN_QT_WIN
        return 0
    fi
    local version cache prefix work source_version
    version=$(host_qt_version) || fail "could not read the host's Qt version: is qt6-base-dev installed?"
    cache="${XDG_CACHE_HOME:-$HOME/.cache}/pelorin"
    prefix=$cache/qt6-mingw-$version
    work=$cache/qt6-src-$version
    qt=$prefix
    if [ -f "$prefix/.complete" ]; then
        make_standalone "$prefix" || fail "could not make $prefix stand on its own: delete it and run again to rebuild Qt"
        return 0
    fi
    echo "Building Qt $version for Windows into $prefix (20-30 minutes on two cores, once)"
    ensure_deb_src >&2 || fail "could not add deb-src entries to apt's sources: run as root or with sudo"
    mkdir -p "$work" || fail "could not make $work: is the cache folder writable?"
    if ! ls "$work"/qt6-base_*.dsc >/dev/null 2>&1; then
        source_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
        (cd "$work" && apt-get source --download-only "qt6-base=$source_version") ||
            fail "could not download the qt6-base $source_version source: are apt's sources reachable?"
    fi
    if [ ! -d "$work/src" ]; then
        rm -rf "$work/src.tmp" && mkdir "$work/src.tmp" &&
            tar -xf "$(ls "$work"/qt6-base_*.orig.tar.*)" -C "$work/src.tmp" --strip-components=1 &&
            mv "$work/src.tmp" "$work/src" || fail "could not unpack the Qt source: is xz-utils installed?"
    fi
    write_toolchain "$work/mingw-toolchain.cmake" || fail "could not write $work/mingw-toolchain.cmake"
    cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$work/mingw-toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DINPUT_opengl=no -DFEATURE_opengl=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_tabletevent=OFF >/dev/null ||
        fail "could not configure Qt for Windows: see CMake's messages above"
    nice cmake --build "$work/build" -j"$(nproc)" ||
        fail "could not build Qt for Windows: see the messages above; running the script again carries on"
    cmake --install "$work/build" >/dev/null || fail "could not install Qt into $prefix: is there room on the disk?"
    make_standalone "$prefix" || fail "could not point $prefix/lib/cmake/Qt6/qt.toolchain.cmake at its own toolchain file"
    touch "$prefix/.complete"
    # 1.5 GB that the prefix no longer needs.
    rm -rf "$work"
}
