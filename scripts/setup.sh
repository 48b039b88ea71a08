# shellcheck shell=bash
# Shared by run.sh, test.sh, fuzz.sh, screenshots.sh and bench/startup.sh; sourced, not run:
#
#     source "$(dirname "$0")/setup.sh" run|test|fuzz|bench
#
# Installs with apt-get whatever the chosen command needs and is missing (written for Debian 12, and tried
# there only), and defines the configure and build steps that the commands share, so that run.sh and
# test.sh use one build/ tree. What every script shares besides (the apt installer among it) is in lib.sh.

# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# libFuzzer ships in a package named after clang's version (libclang-rt-14-dev on Debian 12), in the
# libclang-rt-dev metapackage on newer releases, and inside libclang-common-N-dev on older Ubuntu.
merlox2_install_libfuzzer() {
    local major resource_dir
    major="$(clang -dumpversion | cut -d. -f1)"
    merlox2_is_installed "libclang-rt-$major-dev" && return 0
    resource_dir="$(clang -print-resource-dir)"
    if [[ -n "$(find "$resource_dir/lib" -name 'libclang_rt.fuzzer*.a' -print -quit 2>/dev/null)" ]]; then
        return 0
    fi
    merlox2_apt_update
    if apt-cache show "libclang-rt-$major-dev" >/dev/null 2>&1; then
        merlox2_install_missing "libclang-rt-$major-dev"
    else
        merlox2_install_missing libclang-rt-dev
    fi
}

merlox2_setup() {
    local profile="${1:-}"
    # Compiling, and what the program needs at run time: Qt and its Spanish texts, libcups for printing, the
    # fonts, xdg-open for the documents, libxlsxwriter for the export to Excel.
    local packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libcups2-dev
                    fonts-liberation qt6-translations-l10n xdg-utils libxlsxwriter-dev)
    case "$profile" in
        run) ;;
        fuzz) packages+=(clang) ;;
        # The start-up probes run under Xvfb inside a session bus of the script's own.
        bench) packages+=(libbenchmark-dev hyperfine xvfb xauth dbus-daemon python3) ;;
        test)
            # The printing test prints through a CUPS daemon of its own (scripts/private-cups.sh) into a
            # PDF file that poppler reads back; the tests run inside a session bus of the script's own.
            packages+=(libbenchmark-dev clang cups-daemon cups-client cups-filters poppler-utils dbus-daemon)
            # The export test reads the workbook back with openpyxl, a reader we did not write.
            packages+=(python3-openpyxl)
            # The document tests open LibreOffice Writer. The headless package conflicts with the desktop
            # one, so it is only installed where no LibreOffice is present at all.
            if ! command -v soffice >/dev/null && [[ ! -x /usr/lib/libreoffice/program/soffice ]]; then
                packages+=(libreoffice-writer-nogui)
            fi
            ;;
        *) merlox2_die "setup.sh: unknown profile '$profile' (expected run, test, fuzz or bench)" ;;
    esac
    merlox2_install_missing "${packages[@]}"
    if [[ $profile == test || $profile == fuzz ]]; then
        merlox2_install_libfuzzer
    fi
}

# The benchmarks need Google Benchmark, which only test.sh and bench/startup.sh install: run.sh, which
# builds the program alone, configures without them where it is missing.
merlox2_configure_normal() {
    local bench=OFF
    merlox2_is_installed libbenchmark-dev && bench=ON
    (cd "$MERLOX2_ROOT" && cmake --preset default -DMERLOX2_BENCH="$bench" -DMERLOX2_WERROR="${MERLOX2_WERROR:-OFF}")
}

# The normal build, shared by run.sh and test.sh: everything, or only the given targets.
merlox2_build_normal() {
    merlox2_configure_normal
    merlox2_build_configured "$@"
}

merlox2_build_configured() {
    local targets=()
    [[ $# -gt 0 ]] && targets=(--target "$@")
    cmake --build "$MERLOX2_ROOT/build" -j"$MERLOX2_JOBS" "${targets[@]}"
}

# Whether the configured normal build defines the given target.
merlox2_has_target() {
    grep -qE "^build $1: " "$MERLOX2_ROOT/build/build.ninja" 2>/dev/null
}

# The fuzzers need clang. Debug keeps Q_ASSERT and our asserts armed; -O1 keeps the runs fast enough.
merlox2_build_fuzzers() {
    (cd "$MERLOX2_ROOT" && cmake --preset fuzz && cmake --build --preset fuzz -j"$MERLOX2_JOBS")
}

merlox2_fuzzers() {
    find "$MERLOX2_ROOT/build-fuzz/fuzz" -maxdepth 1 -type f -executable -name 'Fuzz*' -printf '%f\n' | sort
}

# Sanitizer settings for the fuzzers and the sanitizer build: stop at the first finding, with a stack.
merlox2_export_sanitizer_options() {
    export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    export LSAN_OPTIONS="print_suppressions=0"
}

# Runs one fuzzer for the given number of seconds. Its corpus is kept in build-fuzz/corpus/<name> between
# runs; crash inputs land in build-fuzz/artifacts/.
merlox2_run_fuzzer() {
    local name="$1" seconds="$2"
    local corpus="$MERLOX2_ROOT/build-fuzz/corpus/$name"
    local artifacts="$MERLOX2_ROOT/build-fuzz/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    echo "==> fuzzing $name for $seconds s (corpus build-fuzz/corpus/$name)"
    "$MERLOX2_ROOT/build-fuzz/fuzz/$name" -max_total_time="$seconds" -print_final_stats=0 \
        -artifact_prefix="$artifacts/" "$corpus"
}

merlox2_setup "$@"
