# libxlsxwriter for Windows (the reports window's export to Excel), sourced by scripts/windows.sh after its
# Qt helpers: Debian's own source of the version the Linux build uses, cross-built as a static library with
# the project's toolchain file, against Debian's static mingw zlib, so that the program ships no zlib1.dll.
# Its own conversion of numbers (USE_DTOA_LIBRARY) never writes the locale's decimal comma into a workbook.
# Installed beside Qt in $QT_CACHE, in a folder keyed by its version and everything that shapes it, and
# reused while the stamp written after its installation is there. It builds in seconds.
#
# Needs from windows.sh: QT_CACHE, TRIPLET, MERLOX2_ROOT, timed, low_priority, derive_source_entries.
# Sets XLSXWRITER_PREFIX.

XLSXWRITER_SOURCE_VERSION="$(dpkg-query -W -f='${source:Version}' libxlsxwriter-dev)"
XLSXWRITER_VERSION="${XLSXWRITER_SOURCE_VERSION%%-*}"
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

# Downloads and unpacks Debian's libxlsxwriter source through a private apt configuration, as the Qt source.
fetch_xlsxwriter_source() {
    local dir="$1" apt_dir="$1.apt"
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
    apt-get "${apt_options[@]}" update -q || true
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${apt_options[@]}" source -q --only-source "libxlsxwriter=$XLSXWRITER_SOURCE_VERSION")
    rm -rf "$apt_dir"
}

build_xlsxwriter() {
    local source_dir="$1" build_dir="$2" prefix="$3"
    low_priority cmake -S "$source_dir" -B "$build_dir" "${XLSXWRITER_CONFIGURE_OPTIONS[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$MERLOX2_ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix"
    low_priority cmake --build "$build_dir" -j"$MERLOX2_JOBS"
    low_priority cmake --install "$build_dir"
}

ensure_xlsxwriter() {
    merlox2_install_missing libxlsxwriter-dev libz-mingw-w64-dev
    [[ -f "$MINGW_ZLIB/lib/libz.a" ]] || merlox2_die "libz-mingw-w64-dev left no $MINGW_ZLIB/lib/libz.a"
    local key
    key="$(xlsxwriter_cache_key)"
    XLSXWRITER_PREFIX="$QT_CACHE/xlsxwriter-$XLSXWRITER_VERSION-mingw64-$key"
    local stamp="$XLSXWRITER_PREFIX/.merlox2-complete"
    [[ -f "$stamp" ]] && return 0

    local work="$QT_CACHE/work-xlsxwriter-$XLSXWRITER_VERSION-mingw64-$key"
    mkdir -p "$QT_CACHE" "$work"
    exec 8>"$work.lock"
    flock 8
    if [[ ! -f "$stamp" ]]; then
        rm -rf "$work/source" "$work/build" "$XLSXWRITER_PREFIX"
        timed "fetching the libxlsxwriter $XLSXWRITER_SOURCE_VERSION source" fetch_xlsxwriter_source "$work/source"
        local source_dir
        source_dir="$(find "$work/source" -mindepth 1 -maxdepth 1 -type d -name 'libxlsxwriter-*' | head -n1)"
        [[ -n "$source_dir" ]] || merlox2_die "apt-get source left no libxlsxwriter folder in $work/source"
        timed "building libxlsxwriter for Windows into $XLSXWRITER_PREFIX" \
            build_xlsxwriter "$source_dir" "$work/build" "$XLSXWRITER_PREFIX"
        printf 'libxlsxwriter %s\n%s\n' "$XLSXWRITER_SOURCE_VERSION" "${XLSXWRITER_CONFIGURE_OPTIONS[*]}" >"$stamp"
    fi
    exec 8>&-
    rm -rf "$work" "$work.lock"
}
