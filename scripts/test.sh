#!/usr/bin/env bash
# Builds and tests everything, in this order:
#   1. the normal build (build/) and its tests;
#   2. the fuzzers, built with clang (build-fuzz/), each run for 20 s;
#   3. the build with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and its tests, last, so
#      that the output ends with the summary of that run.
# The printing tests need a default printer: a CUPS queue "PDF" that writes PDF files is created and made
# the default, and a CUPS daemon is started for the run if none is running.
# A failing test or fuzzer does not stop the later stages (they often tell more about the fault), but the
# script exits non-zero; a failing configure or build stops it at once. CI runs this through .ci/run.
set -euo pipefail

fuzz_seconds=20
phase_names=()
phase_seconds=()
failures=()
phase_start=0
started_cupsd_pid=""
replaced_default=""

begin_phase() {
    echo
    echo "==== $1"
    phase_names+=("$1")
    phase_start=$SECONDS
}

end_phase() {
    phase_seconds+=($((SECONDS - phase_start)))
}

stop_cups() {
    if [[ -n $replaced_default ]]; then
        merlox2_as_root lpadmin -d "$replaced_default" || true
    fi
    if [[ -n $started_cupsd_pid ]]; then
        merlox2_as_root kill "$started_cupsd_pid" 2>/dev/null || true
        wait "$started_cupsd_pid" 2>/dev/null || true
    fi
}

on_exit() {
    local status=$?
    stop_cups
    # A configure or build step failed: name the stage, the compiler's message is above.
    if [[ $status -ne 0 && ${#phase_seconds[@]} -lt ${#phase_names[@]} ]]; then
        echo
        echo "FAILED: ${phase_names[-1]} (after $((SECONDS - phase_start)) s; see the messages above)"
    fi
}
trap on_exit EXIT

begin_phase "packages"
# shellcheck source=scripts/setup.sh
# Warnings fail the developers' builds (configured in setup.sh and below).
export MERLOX2_WERROR=ON
source "$(dirname "$0")/setup.sh" test
cd "$MERLOX2_ROOT"
end_phase

# --- CUPS --------------------------------------------------------------------------------------------------

cups_running() {
    [[ "$(lpstat -r 2>/dev/null)" == "scheduler is running" ]]
}

start_cups() {
    if ! cups_running; then
        merlox2_can_be_root || merlox2_die "no CUPS scheduler is running and cupsd needs root (or sudo) to start"
        echo "Starting cupsd for this run"
        # In the foreground of a background job, so that $! is the daemon (or the sudo that relays signals).
        if [[ $EUID -eq 0 ]]; then
            cupsd -f </dev/null >/dev/null 2>&1 &
        else
            sudo -v # ask for the password now, not from the background job
            sudo cupsd -f </dev/null >/dev/null 2>&1 &
        fi
        started_cupsd_pid=$!
        local waited=0
        until cups_running; do
            kill -0 "$started_cupsd_pid" 2>/dev/null || merlox2_die "cupsd stopped right after starting"
            ((waited++ < 60)) || merlox2_die "cupsd did not come up within 30 s"
            sleep 0.5
        done
    fi

    if ! lpstat -v PDF >/dev/null 2>&1; then
        local model=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd models
        models="$(lpinfo -m)"
        if ! awk '{ print $1 }' <<<"$models" | grep -qxF "$model"; then
            model="$(awk 'tolower($0) ~ /pdf/ { print $1; exit }' <<<"$models")"
            [[ -n $model ]] || merlox2_die "CUPS knows no PDF printer model (is printer-driver-cups-pdf installed?)"
        fi
        echo "Creating the CUPS queue PDF ($model)"
        merlox2_as_root lpadmin -p PDF -v cups-pdf:/ -m "$model" -E
    fi
    # A queue that failed earlier may be stopped or rejecting jobs; old jobs would be printed by our tests.
    merlox2_as_root cupsenable PDF
    merlox2_as_root cupsaccept PDF
    merlox2_as_root cancel -a PDF 2>/dev/null || true

    local current
    current="$(lpstat -d 2>/dev/null || true)"
    current="${current#system default destination: }"
    if [[ $current != PDF ]]; then
        merlox2_as_root lpadmin -d PDF
        # Give a developer's machine its own default printer back afterwards.
        if [[ -z $started_cupsd_pid && $current != "no system default destination" && -n $current ]]; then
            replaced_default="$current"
        fi
    fi
    lpstat -d
}

begin_phase "CUPS printer"
start_cups
end_phase

# --- 1. normal build ---------------------------------------------------------------------------------------

run_ctest() {
    local dir="$1"
    if ! ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$MERLOX2_JOBS"; then
        failures+=("tests in $dir/")
        return 1
    fi
}

begin_phase "configure + build (build/)"
# shellcheck disable=SC2119 # no targets: everything
merlox2_build_normal
end_phase

begin_phase "tests (build/)"
run_ctest build || true
end_phase

# --- 2. fuzzers --------------------------------------------------------------------------------------------

begin_phase "configure + build fuzzers (build-fuzz/)"
merlox2_build_fuzzers
end_phase

begin_phase "fuzzing, ${fuzz_seconds} s each"
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
end_phase

# --- 3. sanitizer build, last ------------------------------------------------------------------------------

begin_phase "configure + build with sanitizers (build-asan/)"
# Debug: the quickest to compile, and Q_ASSERT stays armed. The benchmarks would only cost time here.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMERLOX2_SANITIZE=ON -DMERLOX2_BENCH=OFF -DMERLOX2_WERROR=ON
cmake --build build-asan -j"$MERLOX2_JOBS"
end_phase

echo
echo "==== Timings"
for i in "${!phase_names[@]}"; do
    printf '  %-48s %5d s\n' "${phase_names[$i]}" "${phase_seconds[$i]}"
done
printf '  %-48s %5d s\n' "total before the sanitizer tests" "$SECONDS"
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
