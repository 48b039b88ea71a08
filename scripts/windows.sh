#!/usr/bin/env bash
# MERLOX2 for 64-bit Windows, cross-built on Debian 12 and tested under Wine; test.sh runs it whole.
#
#     scripts/windows.sh          all of the below: the toolchain, the program and its packages, then its
#                                 test suites, the installer and the whole program under Wine
#     scripts/windows.sh qt       only the toolchain: Qt and libxlsxwriter for Windows   (windows-qt.sh)
#     scripts/windows.sh package  the toolchain, the program and the packages            (windows-package.sh)
#     scripts/windows.sh test     only the tests, of what the last package run made      (windows-test.sh)
#
# Each part prints how long each of its phases took; the settings (MERLOX2_QT_CACHE, MERLOX2_WIN_BUILD,
# MERLOX2_JOBS) are described in windows-qt.sh.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
stage="${1:-all}"
case "$stage" in
    qt) exec bash "$here/windows-qt.sh" ;;
    package) exec bash "$here/windows-package.sh" ;;
    test) exec bash "$here/windows-test.sh" ;;
    all) ;;
    *)
        echo "usage: $0 [qt | package | test]" >&2
        exit 2
        ;;
esac

# shellcheck source=scripts/lib.sh
source "$here/lib.sh"
trap merlox2_report_failed_phases EXIT
merlox2_timed "Windows: the program and its packages" bash "$here/windows-package.sh"
merlox2_timed "Windows: the tests under Wine" bash "$here/windows-test.sh"
echo "==> Windows, in all:"
merlox2_phase_summary
