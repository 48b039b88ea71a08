#!/usr/bin/env bash
# Builds and tests everything, in this order:
#   1. the normal build (build/) and its tests, then the static checks on its compile database (scripts/lint.sh:
#      clang-format, shellcheck, clang-tidy);
#   2. the fuzzers, built with clang (build-fuzz/), each run for 20 s;
#   3. the Windows build, its packages and its tests under Wine (scripts/windows.sh);
#   4. the build with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and its tests, last, so
#      that the output ends with the summary of that run.
# It leaves the machine as it was: the printing tests print through a CUPS daemon of the script's own
# (scripts/private-cups.sh), never through the machine's CUPS, its queues or its default printer, and the
# tests run inside a D-Bus session bus of the script's own, so that no program they start autolaunches
# one that stays behind. Both are stopped at the end, also when a stage fails or the run is interrupted.
# For both ctest runs these are exported:
#   CUPS_SERVER                 the private daemon's socket (PRINTER is unset, LPDEST names its queue)
#   MERLOX2_TEST_PRINT_QUEUE    its one queue, the default destination, which writes every job to
#   MERLOX2_TEST_PRINT_OUTPUT   this file, as a PDF (the queue passes Qt's PDF through); each job replaces it
# It runs as root or as an ordinary user (the private daemon needs no root); only installing missing
# packages needs root or sudo.
# A failing test or fuzzer does not stop the later stages (they often tell more about the fault), but the
# script exits non-zero; a failing configure or build stops it at once. CI runs this through .ci/run.
set -euo pipefail

fuzz_seconds=20
failures=()

on_exit() {
    local status=$?
    merlox2_cups_stop
    # A configure or build step failed: name the stage, the compiler's message is above.
    merlox2_report_failed_phases "$status"
}
# The phase timer (its stages below), and the apt installer that setup.sh uses.
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=scripts/private-cups.sh
source "$(dirname "$0")/private-cups.sh"
trap on_exit EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

merlox2_phase_begin "packages"
# shellcheck source=scripts/setup.sh
# Warnings fail the developers' builds (configured in setup.sh and below).
export MERLOX2_WERROR=ON
source "$(dirname "$0")/setup.sh" test
cd "$MERLOX2_ROOT"
merlox2_phase_end

merlox2_phase_begin "private CUPS daemon"
merlox2_cups_start
merlox2_phase_end

# --- 1. normal build ---------------------------------------------------------------------------------------

# In a session bus of our own, which ends with the run: the tests' programs find it instead of
# autolaunching one each.
run_ctest() {
    local dir="$1"
    if ! dbus-run-session -- ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$MERLOX2_JOBS"; then
        failures+=("tests in $dir/")
        return 1
    fi
}

merlox2_phase_begin "configure + build (build/)"
# shellcheck disable=SC2119 # no targets: everything
merlox2_build_normal
merlox2_phase_end

merlox2_phase_begin "tests (build/)"
run_ctest build || true
merlox2_phase_end

merlox2_phase_begin "lint: clang-format, shellcheck, clang-tidy"
# clang-format, shellcheck and clang-tidy must all be clean.
if ! bash "$MERLOX2_ROOT/scripts/lint.sh"; then
    failures+=("lint (scripts/lint.sh, see above)")
fi
merlox2_phase_end

# --- 2. fuzzers --------------------------------------------------------------------------------------------

merlox2_phase_begin "configure + build fuzzers (build-fuzz/)"
merlox2_build_fuzzers
merlox2_phase_end

merlox2_phase_begin "fuzzing, ${fuzz_seconds} s each"
merlox2_export_sanitizer_options
mapfile -t fuzzers < <(merlox2_fuzzers)
if [[ ${#fuzzers[@]} -eq 0 ]]; then
    echo "No fuzzer was built in build-fuzz/fuzz/"
    failures+=("no fuzzers")
fi
# The sanitizer's report from its first line (what and where), and libFuzzer's last words (the input).
show_fuzzer_report() {
    local first
    first="$(grep -m1 -nE 'ERROR: |runtime error:|deadly signal|ALARM: |out-of-memory' "$1" | cut -d: -f1)"
    if [[ -n $first ]]; then
        sed -n "${first},$((first + 40))p" "$1"
        echo "[...]"
    fi
    tail -n 6 "$1"
}

# libFuzzer reports every new input; the log keeps that, the output shows the outcome (or the report).
mkdir -p build-fuzz/logs
for fuzzer in "${fuzzers[@]}"; do
    log="build-fuzz/logs/$fuzzer.log"
    if merlox2_run_fuzzer "$fuzzer" "$fuzz_seconds" >"$log" 2>&1; then
        echo "$fuzzer: $(grep -E '^Done [0-9]+ runs' "$log" || echo finished), no finding (log: $log)"
    else
        show_fuzzer_report "$log"
        echo "FAILED: fuzzer $fuzzer (the input that broke it is in build-fuzz/artifacts/$fuzzer/; log: $log)"
        failures+=("fuzzer $fuzzer")
    fi
done
merlox2_phase_end

# --- 3. Windows ---------------------------------------------------------------------------------------------

# The Windows program cross-built, its packages made, its core tests and the whole program tested under Wine
# (scripts/windows.sh, which prints the time of each of its phases). The first run on a machine builds Qt for
# Windows into /var/cache/merlox2 (tens of minutes); later runs reuse it.
merlox2_phase_begin "Windows: build, packages, tests under Wine"
if ! bash "$MERLOX2_ROOT/scripts/windows.sh"; then
    failures+=("Windows build or its tests (scripts/windows.sh, see above)")
fi
merlox2_phase_end

# --- 4. sanitizer build, last ------------------------------------------------------------------------------

merlox2_phase_begin "configure + build with sanitizers (build-asan/)"
# Debug: the quickest to compile, and Q_ASSERT stays armed. The benchmarks would only cost time here.
cmake --preset sanitizers
cmake --build --preset sanitizers -j"$MERLOX2_JOBS"
merlox2_phase_end

echo
echo "==== Timings"
merlox2_phase_summary
printf '  %-56s %7s\n' "total before the sanitizer tests" "$(merlox2_duration "$SECONDS")"
echo "  (the sanitizer tests below report their own time)"
if [[ ${#failures[@]} -gt 0 ]]; then
    printf 'Failed so far: %s\n' "${failures[@]}"
fi

echo
echo "==== tests with sanitizers (build-asan/)"
last_ok=1
run_ctest build-asan || last_ok=0

if [[ ${#failures[@]} -gt 0 ]]; then
    if [[ $last_ok -eq 1 || ${#failures[@]} -gt 1 ]]; then
        echo
        printf 'FAILED: %s\n' "${failures[@]}"
    fi
    exit 1
fi
