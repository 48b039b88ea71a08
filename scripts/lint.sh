#!/usr/bin/env bash
# Static checks of our own sources, each run to its end so that one report shows everything:
#   1. clang-format --dry-run -Werror on every tracked .cpp and .h (the project's .clang-format);
#   2. shellcheck on every tracked shell script (a sh or bash shebang), following what it sources;
#   3. clang-tidy (the project's .clang-tidy) on the .cpp files of src/, tests/, bench/ and fuzz/ in the
#      compile database of the normal build (build/compile_commands.json). This is the slow one: about
#      13 CPU-minutes, so some 7 minutes on two cores.
# run-clang-tidy 14 exits 0 even when clang-tidy warns, so its output is searched for diagnostics instead.
# Prints what failed and exits non-zero. With MERLOX2_TIDY_REPORT_ONLY=1, clang-tidy's findings are listed
# but do not fail the run (for a look at them while working on something else). scripts/test.sh runs it after
# the normal build; on its own it configures build/ when there is no compile database and makes the headers
# that moc and uic generate.
#
#     scripts/lint.sh
set -euo pipefail

# shellcheck source=scripts/setup.sh
source "$(dirname "$0")/setup.sh" run
# Debian's clang-tidy package brings run-clang-tidy.
merlox2_install_missing clang-format clang-tidy shellcheck
cd "$MERLOX2_ROOT"

failures=()

echo "==> clang-format"
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}"; then
    failures+=("clang-format: the files named above differ from .clang-format (clang-format -i FILE fixes them)")
fi

echo "==> shellcheck"
scripts=()
while IFS= read -r file; do
    [[ -f $file ]] && head -n 1 "$file" | grep -qE '^#!.*\b(ba)?sh\b' && scripts+=("$file")
done < <(git ls-files)
if ! shellcheck -x -P SCRIPTDIR "${scripts[@]}"; then
    failures+=("shellcheck: see its findings above")
fi

echo "==> clang-tidy"
if [[ ! -f build/compile_commands.json ]]; then
    merlox2_configure_normal
fi
# The sources include what moc and uic generate; building those targets alone is quick.
mapfile -t autogen < <(ninja -C build -t targets all | grep -oE '^[A-Za-z0-9_]+_autogen:' | tr -d :)
if [[ ${#autogen[@]} -gt 0 ]]; then
    ninja -C build -j"$MERLOX2_JOBS" "${autogen[@]}" >/dev/null
fi
tidy_log="build/clang-tidy.log"
# run-clang-tidy 14 always asks for colours; the log is plain text.
run-clang-tidy -p build -quiet -j "$MERLOX2_JOBS" "^$MERLOX2_ROOT/(src|tests|bench|fuzz)/.*\.cpp\$" 2>&1 \
    | sed -E 's/\x1b\[[0-9;]*m//g' >"$tidy_log" || true
ours="^$MERLOX2_ROOT/(src|tests|bench|fuzz)/[^:]*:[0-9]+:[0-9]+: (warning|error):"
if grep -qE "$ours|^Error while processing|clang-tidy.*not found" "$tidy_log"; then
    # Each finding with the lines clang-tidy shows under it, without the "N warnings generated." counts.
    noise='^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -(header|system)'
    grep -vE "$noise|^clang-tidy-[0-9]+ .*-quiet" "$tidy_log" || true
    count="$(grep -E "$ours" "$tidy_log" | sort -u | wc -l)"
    if [[ ${MERLOX2_TIDY_REPORT_ONLY:-} == 1 ]]; then
        echo "NOTE: clang-tidy: $count findings, listed above, not yet fixed (the whole output: $tidy_log)"
    else
        failures+=("clang-tidy: $count findings, listed above (the whole output: $tidy_log)")
    fi
else
    echo "no finding (output: $tidy_log)"
fi

if [[ ${#failures[@]} -gt 0 ]]; then
    echo
    printf 'FAILED: %s\n' "${failures[@]}"
    exit 1
fi
echo "Lint: no finding."
