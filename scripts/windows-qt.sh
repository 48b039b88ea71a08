#!/usr/bin/env bash
# The toolchain for the Windows build: the Debian packages it and its tests under Wine need, Qt for Windows
# and libxlsxwriter for Windows, each built once and then reused.
#
#     scripts/windows-qt.sh       installs what is missing, builds Qt and libxlsxwriter when not cached,
#                                 and prints where they are
#
# Sourced by windows-package.sh and windows-test.sh for windows_toolchain (the above, as phases, setting
# QT_PREFIX and XLSXWRITER_PREFIX) and the settings the Windows scripts share.
#
# Qt for Windows is built from Debian's own qt6-base source, the same version as the Linux build's Qt, which
# also serves as the host Qt (moc, rcc, uic). libxlsxwriter (the reports window's export to Excel) is Debian's
# source of the version the Linux build uses, a static library against Debian's static mingw zlib, so that
# the program ships no zlib1.dll; its own conversion of numbers (USE_DTOA_LIBRARY) never writes the locale's
# decimal comma into a workbook. Both are installed outside the repository, in $MERLOX2_QT_CACHE (default
# /var/cache/merlox2), each in a folder named after its version and a hash of everything that shapes it, and
# reused while a stamp written after its installation is there. The builds run at the lowest CPU and I/O
# priority so that they do not starve other work; Qt's takes tens of minutes, libxlsxwriter's seconds.
#
# Other settings: MERLOX2_WIN_BUILD (the program's build tree, default build-windows/ in the repository),
# MERLOX2_JOBS (parallel jobs, default the number of cores).

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    set -euo pipefail
fi

# The Linux helpers: package installation, and the host Qt that the cross build runs its tools from.
# shellcheck source=scripts/setup.sh
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh" run

QT_CACHE="${MERLOX2_QT_CACHE:-/var/cache/merlox2}"
WIN_BUILD="${MERLOX2_WIN_BUILD:-$MERLOX2_ROOT/build-windows}"
# shellcheck disable=SC2034 # for windows-package.sh and windows-test.sh
PACKAGES="$WIN_BUILD/packages"
TRIPLET=x86_64-w64-mingw32

install_windows_tools() {
    # dpkg-dev unpacks the source packages; wine64 brings the 64-bit loader that `wine` picks for our .exe
    # (and the Windows DLLs that the installation tells the system's DLLs by). The rest is for the test of
    # the whole program: Xvfb, a window manager and the keyboard and clipboard tools that drive it, its own
    # locale and session bus, and the private CUPS that it prints to.
    merlox2_install_missing g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
        wine wine64 nsis dpkg-dev xz-utils perl python3 xvfb xauth zip \
        qt6-translations-l10n fonts-liberation \
        openbox xdotool xclip x11-utils imagemagick locales dbus-daemon \
        cups-daemon cups-client cups-filters poppler-utils \
        libxlsxwriter-dev libz-mingw-w64-dev
}

# Writes deb-src entries for every enabled deb entry of the machine's apt sources (one-line and deb822
# files alike) into the given folder, so that `apt-get source` works where the machine has none.
derive_source_entries() {
    local out="$1" file
    mkdir -p "$out/sources.list.d"
    : >"$out/sources.list"
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f "$file" ]] || continue
        sed -nE 's/^[[:space:]]*deb([[:space:]])/deb-src\1/p' "$file" >>"$out/sources.list"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f "$file" ]] || continue
        # Each stanza that fetches binaries fetches sources instead; stanzas without deb stay as they are.
        sed -E 's/^Types:.*\<deb\>([^-].*)?$/Types: deb-src/' "$file" >"$out/sources.list.d/$(basename "$file")"
    done
}

# Downloads and unpacks a Debian source package, `fetch_debian_source PACKAGE=VERSION FOLDER`, through a
# private apt configuration (sources, lists and caches of its own) that leaves the machine's apt untouched.
fetch_debian_source() {
    local package="$1" dir="$2" apt_dir="$2.apt"
    rm -rf "$apt_dir"
    derive_source_entries "$apt_dir"
    mkdir -p "$apt_dir/lists/partial"
    local apt_options=(
        -o "Dir::Etc::SourceList=$apt_dir/sources.list"
        -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
        -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache::pkgcache="
        -o "Dir::Cache::srcpkgcache="
    )
    # Entries the machine cannot reach only warn; what counts is whether the source arrives.
    apt-get "${apt_options[@]}" update -q || true
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${apt_options[@]}" source -q --only-source "$package")
    rm -rf "$apt_dir"
}

# --- Qt for Windows ---------------------------------------------------------------------------------------

QT_SOURCE_VERSION="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
# 6.4.2+dfsg-10 -> 6.4.2
QT_VERSION="${QT_SOURCE_VERSION#*:}"
QT_VERSION="${QT_VERSION%%[+-]*}"

# What Qt is configured with, besides the install prefix and the toolchain file. Bundled third-party code
# keeps the result free of DLLs we would have to collect; the modules the program does not use are off.
# Debian's source lacks the Wintab header, hence no tablet events. OpenGL stays on: without it the Windows
# platform plugin of this Qt version does not build (it is loaded at run time, so nothing more to ship).
QT_CONFIGURE_OPTIONS=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_libb2=OFF
    -DFEATURE_system_md4c=OFF
)

qt_cache_key() {
    {
        echo "$QT_SOURCE_VERSION"
        printf '%s\n' "${QT_CONFIGURE_OPTIONS[@]}"
        cat "$MERLOX2_ROOT/cmake/mingw-w64-x86_64.cmake"
        "$TRIPLET-g++-posix" -dumpfullversion
    } | sha256sum | cut -c1-10
}

configure_qt() {
    local source_dir="$1" build_dir="$2" prefix="$3"
    merlox2_low_priority cmake -S "$source_dir" -B "$build_dir" "${QT_CONFIGURE_OPTIONS[@]}" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake"
}

# Sets QT_PREFIX to an installed Qt for Windows, building it first when the cache has none.
ensure_qt() {
    local key
    key="$(qt_cache_key)"
    QT_PREFIX="$QT_CACHE/qt-$QT_VERSION-mingw64-$key"
    local stamp="$QT_PREFIX/.merlox2-complete"
    if [[ -f "$stamp" ]]; then
        echo "==> Qt for Windows: reusing $QT_PREFIX"
        return 0
    fi

    local work="$QT_CACHE/work-$QT_VERSION-mingw64-$key"
    mkdir -p "$QT_CACHE" "$work"
    # One build per cache folder at a time; a second run waits and then finds the stamp.
    exec 9>"$work.lock"
    flock 9
    if [[ -f "$stamp" ]]; then
        echo "==> Qt for Windows: reusing $QT_PREFIX"
        return 0
    fi

    local source_dir=
    if [[ -d "$work/source" ]]; then
        source_dir="$(find "$work/source" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)"
    fi
    if [[ -z "$source_dir" ]]; then
        rm -rf "$work/source"
        merlox2_timed "fetching the qt6-base $QT_SOURCE_VERSION source" \
            fetch_debian_source "qt6-base=$QT_SOURCE_VERSION" "$work/source"
        source_dir="$(find "$work/source" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)"
        [[ -n "$source_dir" ]] || merlox2_die "apt-get source left no qt6-base folder in $work/source"
    fi

    # The installed Qt's own toolchain file refers to this one, so it lives with the installation.
    mkdir -p "$QT_PREFIX"
    cp "$MERLOX2_ROOT/cmake/mingw-w64-x86_64.cmake" "$QT_PREFIX/"
    if [[ ! -f "$work/build/build.ninja" ]]; then
        merlox2_timed "configuring Qt $QT_VERSION for Windows" configure_qt "$source_dir" "$work/build" "$QT_PREFIX"
    fi
    merlox2_timed "building Qt $QT_VERSION for Windows in $work/build" \
        merlox2_low_priority cmake --build "$work/build" -j"$MERLOX2_JOBS"
    merlox2_timed "installing Qt for Windows into $QT_PREFIX" merlox2_low_priority cmake --install "$work/build"

    printf 'qt6-base %s\n%s\n' "$QT_SOURCE_VERSION" "${QT_CONFIGURE_OPTIONS[*]}" >"$stamp"
    # The build tree is large and no longer needed once the installation is stamped.
    rm -rf "$work" "$work.lock"
}

# --- libxlsxwriter for Windows ----------------------------------------------------------------------------

MINGW_ZLIB="/usr/$TRIPLET"

XLSXWRITER_CONFIGURE_OPTIONS=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DUSE_DTOA_LIBRARY=ON
    -DZLIB_ROOT="$MINGW_ZLIB"
    -DZLIB_INCLUDE_DIR="$MINGW_ZLIB/include"
    -DZLIB_LIBRARY="$MINGW_ZLIB/lib/libz.a"
)

xlsxwriter_cache_key() {
    {
        echo "$XLSXWRITER_SOURCE_VERSION"
        dpkg-query -W -f='${Version}\n' libz-mingw-w64-dev
        printf '%s\n' "${XLSXWRITER_CONFIGURE_OPTIONS[@]}"
        cat "$MERLOX2_ROOT/cmake/mingw-w64-x86_64.cmake"
        "$TRIPLET-gcc-posix" -dumpfullversion
    } | sha256sum | cut -c1-10
}

build_xlsxwriter() {
    local source_dir="$1" build_dir="$2" prefix="$3"
    merlox2_low_priority cmake -S "$source_dir" -B "$build_dir" "${XLSXWRITER_CONFIGURE_OPTIONS[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$MERLOX2_ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix"
    merlox2_low_priority cmake --build "$build_dir" -j"$MERLOX2_JOBS"
    merlox2_low_priority cmake --install "$build_dir"
}

# Sets XLSXWRITER_PREFIX to an installed libxlsxwriter for Windows, building it first when the cache has none.
ensure_xlsxwriter() {
    XLSXWRITER_SOURCE_VERSION="$(dpkg-query -W -f='${source:Version}' libxlsxwriter-dev)"
    local version="${XLSXWRITER_SOURCE_VERSION%%-*}"
    [[ -f "$MINGW_ZLIB/lib/libz.a" ]] || merlox2_die "libz-mingw-w64-dev left no $MINGW_ZLIB/lib/libz.a"
    local key
    key="$(xlsxwriter_cache_key)"
    XLSXWRITER_PREFIX="$QT_CACHE/xlsxwriter-$version-mingw64-$key"
    local stamp="$XLSXWRITER_PREFIX/.merlox2-complete"
    [[ -f "$stamp" ]] && return 0

    local work="$QT_CACHE/work-xlsxwriter-$version-mingw64-$key"
    mkdir -p "$QT_CACHE" "$work"
    exec 8>"$work.lock"
    flock 8
    if [[ ! -f "$stamp" ]]; then
        rm -rf "$work/source" "$work/build" "$XLSXWRITER_PREFIX"
        merlox2_timed "fetching the libxlsxwriter $XLSXWRITER_SOURCE_VERSION source" \
            fetch_debian_source "libxlsxwriter=$XLSXWRITER_SOURCE_VERSION" "$work/source"
        local source_dir
        source_dir="$(find "$work/source" -mindepth 1 -maxdepth 1 -type d -name 'libxlsxwriter-*' | head -n1)"
        [[ -n "$source_dir" ]] || merlox2_die "apt-get source left no libxlsxwriter folder in $work/source"
        merlox2_timed "building libxlsxwriter for Windows into $XLSXWRITER_PREFIX" \
            build_xlsxwriter "$source_dir" "$work/build" "$XLSXWRITER_PREFIX"
        printf 'libxlsxwriter %s\n%s\n' "$XLSXWRITER_SOURCE_VERSION" "${XLSXWRITER_CONFIGURE_OPTIONS[*]}" >"$stamp"
    fi
    exec 8>&-
    rm -rf "$work" "$work.lock"
}

# --- What the other Windows scripts share -----------------------------------------------------------------

# The tools, Qt and libxlsxwriter, as phases; sets QT_PREFIX and exports MERLOX2_XLSXWRITER_PREFIX, which
# src/CMakeLists.txt reads.
windows_toolchain() {
    merlox2_timed "installing missing tools" install_windows_tools
    merlox2_timed "Qt for Windows" ensure_qt
    echo "==> Qt for Windows: $QT_PREFIX"
    merlox2_timed "libxlsxwriter for Windows" ensure_xlsxwriter
    export MERLOX2_XLSXWRITER_PREFIX="$XLSXWRITER_PREFIX"
}

# Each of the mingw runtime's folders whose DLLs (libstdc++, libgcc, winpthread) the executables load.
mingw_runtime_dirs() {
    local dll
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        dirname "$(readlink -f "$("$TRIPLET-g++-posix" -print-file-name="$dll")")"
    done | awk '!seen[$0]++'
}

# The project's version, as CMake wrote it for CPack.
program_version() {
    local version
    version="$(sed -nE 's/^set\(CPACK_PACKAGE_VERSION "([^"]+)"\)$/\1/p' "$WIN_BUILD/CPackConfig.cmake")"
    [[ -n "$version" ]] || merlox2_die "no CPACK_PACKAGE_VERSION in $WIN_BUILD/CPackConfig.cmake"
    echo "$version"
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    trap merlox2_report_failed_phases EXIT
    windows_toolchain
    echo "Qt for Windows: $QT_PREFIX"
    echo "libxlsxwriter for Windows: $XLSXWRITER_PREFIX"
fi
