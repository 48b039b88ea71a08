#!/usr/bin/env bash
# Builds the fuzzers with clang (build-fuzz/) and runs each for the given number of seconds (default 60).
# Corpora are kept between runs in build-fuzz/corpus/<fuzzer>; an input that makes a fuzzer fail is saved
# in build-fuzz/artifacts/<fuzzer>/.
#
#     scripts/fuzz.sh [SECONDS]
set -euo pipefail

duration="${1:-60}"
if [[ ! $duration =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [SECONDS]   (a whole number of seconds per fuzzer, default 60)" >&2
    exit 2
fi

# shellcheck source=scripts/setup.sh
source "$(dirname "$0")/setup.sh" fuzz
merlox2_build_fuzzers
merlox2_export_sanitizer_options

mapfile -t fuzzers < <(merlox2_fuzzers)
[[ ${#fuzzers[@]} -gt 0 ]] || merlox2_die "no fuzzer was built in build-fuzz/fuzz/"
failed=()
for fuzzer in "${fuzzers[@]}"; do
    merlox2_run_fuzzer "$fuzzer" "$duration" || failed+=("$fuzzer")
done
if [[ ${#failed[@]} -gt 0 ]]; then
    echo "FAILED: ${failed[*]} (the inputs are in build-fuzz/artifacts/)" >&2
    exit 1
fi
echo "All fuzzers ran ${duration} s without a finding: ${fuzzers[*]}"
