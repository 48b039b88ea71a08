#!/usr/bin/env bash
# Start-up cost of MERLOX2 against three yardsticks, under the offscreen platform and under Xvfb:
#   - the access screen's content (its five texts at their five font sizes, the password box and the two
#     buttons) built plainly with Qt widgets: the same work for the screen, without the program's own,
#   - a bare Qt Widgets window that shows one label (like any screen with text, it loads the system's
#     font list),
#   - an empty bare window, which draws no text at all,
# each as the time from starting the process to the first paint (hyperfine's median of 30 runs; the CPU
# time, user + system, is shown too, as it varies less on a shared machine) and the peak resident memory
# at that moment. Then the time to open a worksheet on a full grade file.
#
#     bench/startup.sh            (installs what is missing, builds what it needs in build/)
#
# Goals: at most 1.1 times the same-content window's start-up time and peak memory; a worksheet within
# one frame (16 ms).
#
# Everything runs inside one D-Bus session bus of the script's own, as on a teacher's desktop: without
# one, every start under Xvfb would autolaunch a bus daemon, which stays behind after the program and
# whose launch would count in its start-up.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh" bench
merlox2_own_session_bus "$0" "$@"

build="$root/build"
merlox2_configure_normal >/dev/null
merlox2_build_configured merlox2startup contentwindow labelwindow barewindow merlox2guibench >/dev/null

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

peak_kb() { # the median of five runs' peak memory
    for _ in 1 2 3 4 5; do "$1" 2>&1 >/dev/null | sed -n 's/^peak_kb //p'; done | sort -n | sed -n 3p
}

measure() { # platform label
    local label=$1
    hyperfine -N --style basic --warmup 3 --runs 30 --export-json "$work/$label.json" \
        -n merlox2 "$build/bench/merlox2startup" -n content "$build/bench/contentwindow" \
        -n label "$build/bench/labelwindow" -n empty "$build/bench/barewindow" >/dev/null
    python3 - "$work/$label.json" "$label" "$(peak_kb "$build/bench/merlox2startup")" \
        "$(peak_kb "$build/bench/contentwindow")" "$(peak_kb "$build/bench/labelwindow")" \
        "$(peak_kb "$build/bench/barewindow")" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
memory = dict(zip(("merlox2", "content", "label", "empty"), map(int, sys.argv[3:7])))
def figures(name):
    r = runs[name]
    return r["median"] * 1000, (r["user"] + r["system"]) * 1000, memory[name] / 1024
app = figures("merlox2")
print(f"{sys.argv[2]}: merlox2 {app[0]:5.1f} ms (CPU {app[1]:5.1f} ms), peak memory {app[2]:5.1f} MiB")
for name, goal in (("content", " (goal <= 1.1)"), ("label", ""), ("empty", "")):
    f = figures(name)
    print(f"  vs {name:7} window {f[0]:5.1f} ms (CPU {f[1]:5.1f} ms), {f[2]:5.1f} MiB:"
          f"  time {app[0] / f[0]:.2f}, CPU {app[1] / f[1]:.2f}, memory {app[2] / f[2]:.2f}{goal}")
PY
}

QT_QPA_PLATFORM=offscreen measure offscreen

merlox2_x_start "$work" 800x600x24
QT_QPA_PLATFORM=xcb measure xvfb

echo "Opening a worksheet on a full grade file (goal: within one frame, 16 ms):"
QT_QPA_PLATFORM=offscreen "$build/bench/merlox2guibench" --benchmark_min_time=1 2>/dev/null | grep BM_
