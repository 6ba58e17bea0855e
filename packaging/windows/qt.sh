# Sourced by build.sh: builds Qt for Windows once, from Debian's own qt6-base source
# package so that it matches the host's moc/rcc/uic exactly, into a cache outside the
# checkout. PELORIN_QT_WIN names an already built prefix instead.

# The Debian version of the host's Qt, without the epoch and Debian revision: 6.4.2.
host_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev | sed -E 's/^[0-9]+://; s/[+-].*//'
}

# apt-get source needs deb-src entries; they mirror the deb entries already configured.
ensure_deb_src() {
    local dir=/etc/apt/sources.list.d
    grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list "$dir" && return 0
    if [ -f "$dir/debian.sources" ]; then
        sed -E 's/^Types:.*/Types: deb-src/' "$dir/debian.sources" | as_root tee "$dir/pelorin-deb-src.sources" >/dev/null
    else
        grep -hE '^deb ' /etc/apt/sources.list | sed -E 's/^deb /deb-src /' | as_root tee "$dir/pelorin-deb-src.list" >/dev/null
    fi
    as_root apt-get update -qq
}

# Prints the prefix; builds it first when the cache does not hold it.
ensure_qt_windows() {
    if [ -n "${PELORIN_QT_WIN:-}" ]; then
        [ -x "$PELORIN_QT_WIN/bin/qt-cmake" ] || { echo "PELORIN_QT_WIN=$PELORIN_QT_WIN holds no Qt for Windows" >&2; return 1; }
        echo "$PELORIN_QT_WIN"
        return 0
    fi
    local version prefix work
    version=$(host_qt_version)
    prefix="${XDG_CACHE_HOME:-$HOME/.cache}/pelorin/qt6-mingw-$version"
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        return 0
    fi
    ensure_deb_src >&2
    work="${XDG_CACHE_HOME:-$HOME/.cache}/pelorin/qt6-src-$version"
    mkdir -p "$work"
    (
        cd "$work"
        ls qt6-base_*.dsc >/dev/null 2>&1 || apt-get source --download-only "qt6-base=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)" >&2
        if [ ! -d src ]; then
            rm -rf src.tmp && mkdir src.tmp
            tar -xf qt6-base_*.orig.tar.* -C src.tmp --strip-components=1
            mv src.tmp src
        fi
        cat > toolchain.cmake <<TC
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
        cmake -S src -B build -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
            -DCMAKE_INSTALL_PREFIX="$prefix" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
            -DINPUT_opengl=no -DFEATURE_opengl=OFF \
            -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
            -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
            -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
            -DFEATURE_tabletevent=OFF >&2
        nice cmake --build build -j"$(nproc)" >&2
        cmake --install build >&2
    ) || return 1
    touch "$prefix/.complete"
    echo "$prefix"
}
