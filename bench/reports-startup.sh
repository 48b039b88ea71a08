#!/usr/bin/env bash
# The reports window's start against the program's, under the offscreen platform and under Xvfb: the time
# from starting the process to the first paint of the reports window on three full grades (90 students,
# every sex given; the access code taken as given), against the time to the access screen's first paint
# (bench/StartupProbe.cpp), each hyperfine's median of 30 runs, with the CPU time (user + system), which
# varies less on a shared machine. A third probe builds the same window plainly with Qt widgets
# (bench/PlainReportsProbe.cpp): what any window of that size and content costs, the yardstick for what the
# program adds.
#
#     bench/reports-startup.sh        (installs what is missing, builds what it needs in build/)
#
# Budget: at most 1.2 times the program's start-up.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh" bench
if [[ -z ${MERLOX2_STARTUP_OWN_BUS:-} ]]; then
    exec env MERLOX2_STARTUP_OWN_BUS=1 dbus-run-session -- bash "$0" "$@"
fi

build="$root/build"
merlox2_configure_normal >/dev/null
merlox2_build_configured merlox2startup merlox2reportsstartup plainreportswindow >/dev/null

work="$(mktemp -d)"
# shellcheck source=scripts/x-display.sh
source "$root/scripts/x-display.sh"
cleanup() {
    merlox2_x_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
cd "$work"
export XDG_RUNTIME_DIR="$work/runtime" && mkdir -m 700 "$XDG_RUNTIME_DIR"
"$build/bench/merlox2reportsstartup" --llenar

measure() { # label
    hyperfine -N --style basic --warmup 3 --runs 30 --export-json "$work/$1.json" \
        -n program "$build/bench/merlox2startup" -n reports "$build/bench/merlox2reportsstartup" \
        -n plain "$build/bench/plainreportswindow" >/dev/null
    python3 - "$work/$1.json" "$1" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
def figures(name):
    r = runs[name]
    return r["median"] * 1000, (r["user"] + r["system"]) * 1000
program, reports, plain = figures("program"), figures("reports"), figures("plain")
print(f"{sys.argv[2]}: reports window {reports[0]:5.1f} ms (CPU {reports[1]:5.1f} ms), program {program[0]:5.1f} ms "
      f"(CPU {program[1]:5.1f} ms): time {reports[0] / program[0]:.2f}, CPU {reports[1] / program[1]:.2f} "
      "(budget <= 1.2)")
print(f"{sys.argv[2]}: plain Qt window {plain[0]:5.1f} ms (CPU {plain[1]:5.1f} ms): to the program, time "
      f"{plain[0] / program[0]:.2f}, CPU {plain[1] / program[1]:.2f}; the reports window to it, time "
      f"{reports[0] / plain[0]:.2f}, CPU {reports[1] / plain[1]:.2f}")
PY
}

QT_QPA_PLATFORM=offscreen measure offscreen
merlox2_x_start "$work" 800x600x24
QT_QPA_PLATFORM=xcb measure xvfb
