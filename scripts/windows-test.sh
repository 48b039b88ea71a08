#!/usr/bin/env bash
# Tests the Windows build under Wine, after scripts/windows-package.sh has made it and its packages:
#
#     scripts/windows-test.sh [suites] [installer] [program]      (default: all three, in this order)
#
#   suites      the test suites that the Windows build registers, through ctest and build-windows/wine-run
#   installer   the installer as a teacher's computer sees it (tests/windows/installer-test.sh), with a
#               picture of each of its pages in build-windows/screenshots/installer
#   program     the whole program, the same session on Linux and on Windows, the grade files compared byte
#               for byte and the printed page counted (tests/windows/smoke-test.sh); its screenshots under
#               Wine are kept for the README
set -euo pipefail

jobs=("$@")
[[ ${#jobs[@]} -gt 0 ]] || jobs=(suites installer program)
for job in "${jobs[@]}"; do
    case "$job" in
        suites | installer | program) ;;
        *)
            echo "usage: $0 [suites] [installer] [program]" >&2
            exit 2
            ;;
    esac
done

# shellcheck source=scripts/windows-qt.sh
source "$(dirname "$0")/windows-qt.sh"
trap merlox2_report_failed_phases EXIT

# Only what is missing is installed, and Qt for Windows is found in its cache: the suites' qt.conf names it.
windows_toolchain
[[ -x "$WIN_BUILD/wine-run" && -f "$WIN_BUILD/CPackConfig.cmake" ]] ||
    merlox2_die "no Windows build in $WIN_BUILD: run scripts/windows-package.sh first"
VERSION="$(program_version)"
DEPLOY="$PACKAGES/MERLOX2"

# The Qt paths of the executables in the build tree (the suites), as the packages' qt.conf gives the
# program its own: the plugins (among them the offscreen platform) of Qt for Windows, and Qt's Spanish
# texts, which Debian's translations hold.
run_suites() {
    printf '[Paths]\r\nPrefix = Z:%s\r\nTranslations = Z:%s\r\n' "$QT_PREFIX" /usr/share/qt6/translations \
        >"$WIN_BUILD/qt.conf"
    ctest --test-dir "$WIN_BUILD" --output-on-failure
}

# The pictures of the assistant's pages go beside the screens' pictures.
test_installer() {
    local setup="$PACKAGES/merlox2-$VERSION-setup.exe"
    [[ -f $setup ]] || merlox2_die "no installer $setup: run scripts/windows-package.sh first"
    "$MERLOX2_ROOT/tests/windows/installer-test.sh" "$setup" "$WIN_BUILD/installer-test" \
        "$WIN_BUILD/screenshots/installer"
}

test_program() {
    [[ -f $DEPLOY/merlox2.exe ]] || merlox2_die "no $DEPLOY/merlox2.exe: run scripts/windows-package.sh first"
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

for job in "${jobs[@]}"; do
    case "$job" in
        suites) merlox2_timed "running the test suites under Wine" run_suites ;;
        installer) merlox2_timed "testing the installer under Wine" test_installer ;;
        program) merlox2_timed "testing the whole program under Wine against Linux" test_program ;;
    esac
done
