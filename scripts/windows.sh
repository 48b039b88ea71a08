#!/usr/bin/env bash
# Cross-builds MERLOX2 for 64-bit Windows on Debian 12 and runs its tests under Wine.
#
#     scripts/windows.sh          Qt for Windows (built once, then reused), the program, its test suites,
#                                 the packages, and the tests of the installer and the whole program under Wine
#     scripts/windows.sh qt       only Qt for Windows
#     scripts/windows.sh package  Qt for Windows, the program and the packages, without the tests
#
# The packages, in build-windows/packages/: a portable zip (the program with the DLLs, plugins and
# translations it needs, runnable from any folder) and an NSIS installer, merlox2-<version>-setup.exe
# (packaging/windows/merlox2.nsi).
#
# Qt for Windows is built from Debian's own qt6-base source, the same version as the Linux build's Qt, which
# also serves as the host Qt (moc, rcc, uic). It is installed outside the repository, in
# $MERLOX2_QT_CACHE (default /var/cache/merlox2), in a folder named after the Qt version and a hash of
# everything that shapes it, and is reused while a stamp written after its installation is there.
# The Qt build runs at the lowest CPU and I/O priority so that it does not starve other work.
#
# Other settings: MERLOX2_WIN_BUILD (the program's build tree, default build-windows/ in the repository),
# MERLOX2_JOBS (parallel jobs, default the number of cores).
set -euo pipefail

stage="${1:-all}"
case "$stage" in
    all | qt | package) ;;
    *)
        echo "usage: $0 [qt | package]" >&2
        exit 2
        ;;
esac

# The Linux helpers: package installation, and the host Qt that the cross build runs its tools from.
# shellcheck source=setup.sh
source "$(dirname "$0")/setup.sh" run

QT_CACHE="${MERLOX2_QT_CACHE:-/var/cache/merlox2}"
WIN_BUILD="${MERLOX2_WIN_BUILD:-$MERLOX2_ROOT/build-windows}"
TRIPLET=x86_64-w64-mingw32
# The fonts of Qt's offscreen platform under Wine (package fonts-liberation).
FONT_DIR=/usr/share/fonts/truetype/liberation

# Runs a phase and prints how long it took: `timed NAME COMMAND...`. Phases nest; when one fails, the script
# stops (set -e) and the exit trap names every phase that was running.
PHASE_NAMES=()
PHASE_STARTS=()
elapsed_since() {
    local took=$((SECONDS - $1))
    printf '%dm%02ds' $((took / 60)) $((took % 60))
}
report_failed_phases() {
    local status=$? i
    [[ $status -eq 0 ]] && return
    for ((i = ${#PHASE_NAMES[@]} - 1; i >= 0; i--)); do
        echo "==> ${PHASE_NAMES[i]}: FAILED after $(elapsed_since "${PHASE_STARTS[i]}")" >&2
    done
}
trap report_failed_phases EXIT
timed() {
    PHASE_NAMES+=("$1")
    PHASE_STARTS+=("$SECONDS")
    shift
    echo "==> ${PHASE_NAMES[-1]}"
    "$@"
    echo "==> ${PHASE_NAMES[-1]}: done in $(elapsed_since "${PHASE_STARTS[-1]}")"
    unset 'PHASE_NAMES[-1]' 'PHASE_STARTS[-1]'
}

# Lowest priority for the long builds; ionice is not everywhere.
low_priority() {
    if command -v ionice >/dev/null; then
        nice -n 19 ionice -c3 "$@"
    else
        nice -n 19 "$@"
    fi
}

install_tools() {
    # dpkg-dev unpacks the source package; wine64 brings the 64-bit loader that `wine` picks for our .exe.
    # The rest is for the test of the whole program: Xvfb, a window manager and the keyboard and clipboard
    # tools that drive it, its own locale and session bus, and the private CUPS that it prints to.
    local packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                    wine wine64 nsis dpkg-dev xz-utils perl python3 xvfb xauth zip
                    qt6-translations-l10n fonts-liberation
                    openbox xdotool xclip x11-utils imagemagick locales dbus-daemon
                    cups-daemon cups-client cups-filters poppler-utils)
    local missing=() package
    for package in "${packages[@]}"; do
        merlox2_is_installed "$package" || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    merlox2_can_be_root || merlox2_die "missing packages (install them as root): ${missing[*]}"
    # Waits for another apt run on the machine instead of failing at once.
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=900)
    merlox2_as_root "${apt[@]}" update </dev/null
    merlox2_as_root "${apt[@]}" install -y --no-install-recommends "${missing[@]}" </dev/null
}

# --- Qt for Windows ---------------------------------------------------------------------------------------

host_qt_version() {
    # 6.4.2+dfsg-10 -> 6.4.2
    local version
    version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
    version="${version#*:}"
    version="${version%%[+-]*}"
    echo "$version"
}

QT_SOURCE_VERSION="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
QT_VERSION="$(host_qt_version)"

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

# Downloads and unpacks Debian's qt6-base source of the installed version into the given folder, through a
# private apt configuration (sources, lists and caches of its own) that leaves the machine's apt untouched.
fetch_qt_source() {
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
    # Entries the machine cannot reach only warn; what counts is whether the source arrives.
    apt-get "${apt_options[@]}" update -q || true
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${apt_options[@]}" source -q --only-source "qt6-base=$QT_SOURCE_VERSION")
    rm -rf "$apt_dir"
}

configure_qt() {
    local source_dir="$1" build_dir="$2" prefix="$3"
    low_priority cmake -S "$source_dir" -B "$build_dir" "${QT_CONFIGURE_OPTIONS[@]}" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake"
}

build_qt() {
    low_priority cmake --build "$1" -j"$MERLOX2_JOBS"
}

install_qt() {
    low_priority cmake --install "$1"
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
        timed "fetching the qt6-base $QT_SOURCE_VERSION source" fetch_qt_source "$work/source"
        source_dir="$(find "$work/source" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)"
        [[ -n "$source_dir" ]] || merlox2_die "apt-get source left no qt6-base folder in $work/source"
    fi

    # The installed Qt's own toolchain file refers to this one, so it lives with the installation.
    mkdir -p "$QT_PREFIX"
    cp "$MERLOX2_ROOT/cmake/mingw-w64-x86_64.cmake" "$QT_PREFIX/"
    if [[ ! -f "$work/build/build.ninja" ]]; then
        timed "configuring Qt $QT_VERSION for Windows" configure_qt "$source_dir" "$work/build" "$QT_PREFIX"
    fi
    timed "building Qt $QT_VERSION for Windows in $work/build" build_qt "$work/build"
    timed "installing Qt for Windows into $QT_PREFIX" install_qt "$work/build"

    printf 'qt6-base %s\n%s\n' "$QT_SOURCE_VERSION" "${QT_CONFIGURE_OPTIONS[*]}" >"$stamp"
    # The build tree is large and no longer needed once the installation is stamped.
    rm -rf "$work" "$work.lock"
}

timed "installing missing tools" install_tools
timed "Qt for Windows" ensure_qt
echo "==> Qt for Windows: $QT_PREFIX"
[[ $stage == qt ]] && exit 0
# shellcheck source=scripts/xlsxwriter-windows.sh
source "$MERLOX2_ROOT/scripts/xlsxwriter-windows.sh"
timed "libxlsxwriter for Windows" ensure_xlsxwriter
export MERLOX2_XLSXWRITER_PREFIX="$XLSXWRITER_PREFIX" # read by src/CMakeLists.txt

# --- The program --------------------------------------------------------------------------------------------

# Each of the mingw runtime's folders whose DLLs (libstdc++, libgcc, winpthread) the executables load.
mingw_runtime_dirs() {
    local dll
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        dirname "$(readlink -f "$("$TRIPLET-g++-posix" -print-file-name="$dll")")"
    done
}

# Writes the command that ctest puts before every test executable: Wine with a prefix of the build tree's
# own, quiet, with Qt's and the compiler's DLLs on the search path. Runnable by hand as well:
# `build-windows/wine-run build-windows/tests/TestStudentRecord.exe`; a GUI suite with QT_QPA_PLATFORM=offscreen.
write_wine_runner() {
    local runner="$WIN_BUILD/wine-run" dirs=() dir winepath=
    mapfile -t dirs < <(printf '%s\n' "$QT_PREFIX/bin" "$(mingw_runtime_dirs)" | awk '!seen[$0]++')
    for dir in "${dirs[@]}"; do
        winepath+="${winepath:+;}Z:${dir//\//\\}"
    done
    mkdir -p "$WIN_BUILD"
    cat >"$runner" <<RUNNER
#!/bin/sh
# Generated by scripts/windows.sh.
export WINEPREFIX='$WIN_BUILD/wineprefix'
export WINEARCH=win64
export WINEDEBUG=-all
# No prompts to install Wine's .NET or HTML engines (nothing here needs them), no Linux menu entries.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export WINEPATH='$winepath'
# Qt's offscreen platform, which the GUI suites run on, reads its fonts from one folder rather than from
# Windows: the Liberation fonts, which stand in for the screens' font on Linux too. Wine hands the
# host's QT_ variables to Windows programs only with WINE before them (ctest's QT_QPA_PLATFORM too).
export WINEQT_QPA_FONTDIR='Z:${FONT_DIR//\//\\}'
for variable in \$(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE\$variable=\"\\\$\$variable\""
done
# Debian's Wine leaves a folder in TMPDIR at every start of its server: it goes into the build tree.
export TMPDIR='$WIN_BUILD/tmp'
mkdir -p "\$TMPDIR"
exec wine "\$@"
RUNNER
    chmod +x "$runner"
}

prepare_wine() {
    write_wine_runner
    if [[ ! -f "$WIN_BUILD/wineprefix/system.reg" ]]; then
        # wineboot through the runner, so that the prefix gets the same settings as the tests.
        "$WIN_BUILD/wine-run" wineboot --init
        TMPDIR="$WIN_BUILD/tmp" WINEPREFIX="$WIN_BUILD/wineprefix" wineserver --wait
    fi
}

configure_program() {
    low_priority "$QT_PREFIX/bin/qt-cmake" -S "$MERLOX2_ROOT" -B "$WIN_BUILD" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DMERLOX2_BENCH=OFF -DMERLOX2_GUI=ON \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$WIN_BUILD/wine-run"
}

# Every suite the Windows build registers: the core tests and the GUI suites (all but the two that drive
# CUPS, Linux's print system; tests/CMakeLists.txt), the GUI ones on Qt's offscreen platform.
test_targets() {
    ctest --test-dir "$WIN_BUILD" -N | sed -nE 's/^ *Test +#[0-9]+: [a-z]+\.//p'
}

# The program and its test suites. Goes on past a failing file (-k 0) so that one run shows every file that
# does not compile for Windows.
build_program() {
    local targets
    mapfile -t targets < <(test_targets)
    low_priority cmake --build "$WIN_BUILD" -j"$MERLOX2_JOBS" -- -k 0 merlox2core "${targets[@]}" merlox2
}

# The Qt paths of the executables in the build tree (the suites), as the packages' qt.conf gives the
# program its own: the plugins (among them the offscreen platform) of Qt for Windows, and Qt's Spanish
# texts, which Debian's translations hold.
write_tests_qt_conf() {
    printf '[Paths]\r\nPrefix = Z:%s\r\nTranslations = Z:%s\r\n' "$QT_PREFIX" /usr/share/qt6/translations \
        >"$WIN_BUILD/qt.conf"
}

run_tests() {
    write_tests_qt_conf
    ctest --test-dir "$WIN_BUILD" --output-on-failure
}

timed "preparing Wine" prepare_wine
timed "configuring MERLOX2 for Windows" configure_program
timed "building MERLOX2 for Windows" build_program
if [[ $stage == all ]]; then
    timed "running the test suites under Wine" run_tests
fi

# --- The packages -------------------------------------------------------------------------------------------

PACKAGES="$WIN_BUILD/packages"

# The project's version, as CMake wrote it for CPack.
program_version() {
    local version
    version="$(sed -nE 's/^set\(CPACK_PACKAGE_VERSION "([^"]+)"\)$/\1/p' "$WIN_BUILD/CPackConfig.cmake")"
    [[ -n "$version" ]] || merlox2_die "no CPACK_PACKAGE_VERSION in $WIN_BUILD/CPackConfig.cmake"
    echo "$version"
}

# Qt's plugins that the program loads at run time: the Windows platform, the native style (Qt's style
# list offers it), and the picture formats of the resources (GIF, JPEG, the .ico icons; PNG is built into
# Qt). Printing needs no plugin on Windows: this Qt builds the spooler support into Qt6PrintSupport, which
# the program's print module (merlox2print.dll, installed beside it) imports.
QT_PLUGINS=(platforms/qwindows.dll styles/qwindowsvistastyle.dll
            imageformats/qgif.dll imageformats/qjpeg.dll imageformats/qico.dll)

# The DLLs a Windows executable imports, one lowercase name a line.
imported_dlls() {
    "$TRIPLET-objdump" -p "$1" | sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' | tr '[:upper:]' '[:lower:]'
}

# Whether Windows itself provides a DLL: Wine's copy of the system's DLLs stands for Windows' own.
WINE_SYSTEM_DLLS=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
is_system_dll() {
    [[ $1 == api-ms-win-* || $1 == ext-ms-win-* || -f "$WINE_SYSTEM_DLLS/$1" ]]
}

# Copies beside the program every DLL that it and its plugins load, following the DLLs' own imports; the
# DLLs come from Qt for Windows and the compiler's runtime. An import found neither there nor among the
# system's DLLs stops the packaging, instead of a program that fails at start on the teacher's computer.
collect_dlls() {
    local dir="$1" sources=() queue=() dll source found
    mapfile -t sources < <(printf '%s\n' "$QT_PREFIX/bin" "$(mingw_runtime_dirs)" | awk '!seen[$0]++')
    declare -A seen=()
    mapfile -t queue < <(find "$dir" -name '*.exe' -o -name '*.dll')
    while [[ ${#queue[@]} -gt 0 ]]; do
        local file="${queue[0]}"
        queue=("${queue[@]:1}")
        while read -r dll; do
            [[ -n "${seen[$dll]:-}" ]] && continue
            seen[$dll]=1
            found=
            for source in "${sources[@]}"; do
                # Qt's DLLs are spelt Qt6Core.dll; the imports are compared in lowercase.
                found="$(find "$source" -maxdepth 1 -iname "$dll" -print -quit)"
                [[ -n "$found" ]] && break
            done
            if [[ -n "$found" ]]; then
                cp "$found" "$dir/"
                queue+=("$dir/$(basename "$found")")
            elif ! is_system_dll "$dll"; then
                merlox2_die "$(basename "$file") needs $dll, which is neither in Qt, the compiler's runtime nor Windows"
            fi
        done < <(imported_dlls "$file")
    done
}

# The program's folder as both packages ship it: merlox2.exe, the DLLs, plugins, Qt's Spanish texts and a
# qt.conf, every binary stripped.
deploy_program() {
    local dir="$1" plugin
    rm -rf "$dir"
    cmake --install "$WIN_BUILD" --prefix "$dir"
    [[ -f "$dir/merlox2.exe" ]] || merlox2_die "the build's installation left no merlox2.exe in $dir"
    # Loaded on the first print, so a package without it would start and fail only then.
    [[ -f "$dir/merlox2print.dll" ]] || merlox2_die "the build's installation left no merlox2print.dll in $dir"
    for plugin in "${QT_PLUGINS[@]}"; do
        mkdir -p "$dir/$(dirname "$plugin")"
        cp "$QT_PREFIX/plugins/$plugin" "$dir/$plugin"
    done
    collect_dlls "$dir"

    # Qt's own dialog and button texts in Spanish. Debian's translations are of the host Qt's version,
    # which is the version Qt for Windows was built from.
    mkdir -p "$dir/translations"
    cp /usr/share/qt6/translations/qtbase_es.qm "$dir/translations/"
    # Qt's paths stated for this folder rather than left to the Qt build's relocation rules: the plugins
    # beside the program, the Spanish texts in translations/.
    printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$dir/qt.conf"
    cp "$MERLOX2_ROOT/resources/icons/merlox2.ico" "$dir/"

    find "$dir" \( -name '*.exe' -o -name '*.dll' \) -exec "$TRIPLET-strip" {} +
}

make_zip() {
    local dir="$1" zip="$2"
    rm -f "$zip"
    # The folder itself goes into the zip, so that unpacking gives one MERLOX2 folder.
    (cd "$(dirname "$dir")" && zip -q -9 -r -X "$zip" "$(basename "$dir")")
    echo "$(basename "$zip"): $(du -h "$zip" | cut -f1)"
}

# The installer's lists of files: what to install (File) and what its uninstaller deletes (Delete, then
# each folder, deepest first, only if empty).
write_installer_lists() {
    local dir="$1" files="$2" unfiles="$3" file sub
    : >"$files"
    : >"$unfiles"
    while read -r sub; do
        sub="${sub#.}"
        sub="${sub#/}"
        echo "SetOutPath \"\$INSTDIR${sub:+\\${sub//\//\\}}\"" >>"$files"
        while read -r file; do
            file="${file#./}"
            [[ $file == merlox2.ico ]] && continue
            echo "File \"$dir/$file\"" >>"$files"
            echo "Delete \"\$INSTDIR\\${file//\//\\}\"" >>"$unfiles"
        done < <(cd "$dir" && find "./$sub" -mindepth 1 -maxdepth 1 -type f | sort)
    done < <(cd "$dir" && find . -type d | sort)
    while read -r sub; do
        sub="${sub#./}"
        echo "RMDir \"\$INSTDIR\\${sub//\//\\}\"" >>"$unfiles"
    done < <(cd "$dir" && find . -mindepth 1 -type d | sort -r)
}

make_installer() {
    local dir="$1" setup="$2" version="$3" lists="$PACKAGES/nsis"
    mkdir -p "$lists"
    write_installer_lists "$dir" "$lists/files.nsh" "$lists/unfiles.nsh"
    rm -f "$setup"
    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DPROGRAM_DIR="$dir" -DFILES="$lists/files.nsh" \
        -DUNFILES="$lists/unfiles.nsh" -DOUTFILE="$setup" "$MERLOX2_ROOT/packaging/windows/merlox2.nsi"
    echo "$(basename "$setup"): $(du -h "$setup" | cut -f1)"
}

VERSION="$(program_version)"
DEPLOY="$PACKAGES/MERLOX2"
mkdir -p "$PACKAGES"
timed "deploying the program into $DEPLOY" deploy_program "$DEPLOY"
timed "making the portable zip" make_zip "$DEPLOY" "$PACKAGES/merlox2-$VERSION-win64.zip"
timed "making the installer" make_installer "$DEPLOY" "$PACKAGES/merlox2-$VERSION-setup.exe" "$VERSION"
[[ $stage == all ]] || exit 0

# --- The installer under Wine -------------------------------------------------------------------------------

# The pictures of the assistant's pages go beside the screens' pictures.
timed "testing the installer under Wine" "$MERLOX2_ROOT/tests/windows/installer-test.sh" \
    "$PACKAGES/merlox2-$VERSION-setup.exe" "$WIN_BUILD/installer-test" "$WIN_BUILD/screenshots/installer"

# --- The whole program under Wine ---------------------------------------------------------------------------

# The same session on Linux and on Windows, the grade files compared byte for byte, the printed page
# counted; the screenshots under Wine are kept for the README.
smoke_test() {
    # The Linux program of the normal build; an existing build/ is not configured again, which would
    # undo settings that test.sh gave it.
    if [[ -f "$MERLOX2_ROOT/build/CMakeCache.txt" ]]; then
        merlox2_build_configured merlox2
    else
        merlox2_build_normal merlox2
    fi
    "$MERLOX2_ROOT/tests/windows/smoke-test.sh" "$MERLOX2_ROOT/build/merlox2" "$DEPLOY/merlox2.exe" \
        "$WIN_BUILD/smoke-test" "$WIN_BUILD/screenshots"
}
timed "testing the whole program under Wine against Linux" smoke_test
