#!/usr/bin/env bash
# Start-up cost of MERLOX2 against a bare Qt Widgets window, in one run and as ratios:
#   - time from starting the process to the access screen's first paint (hyperfine),
#   - peak resident memory at that moment,
# under the offscreen platform and under Xvfb. Then the time to open a worksheet on a full grade file.
#
#     bench/startup.sh            (builds build/ first if needed)
#
# Goals: at most 1.2 times the bare window's time and 1.3 times its peak memory; a worksheet within
# one frame (16 ms).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

for tool in hyperfine Xvfb; do
    command -v "$tool" >/dev/null || { echo "bench/startup.sh needs $tool (apt-get install hyperfine xvfb)" >&2; exit 1; }
done
if [[ ! -x $build/bench/merlox2startup ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERLOX2_BENCH=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target merlox2startup barewindow merlox2guibench >/dev/null

work="$(mktemp -d)"
xvfb_pid=""
cleanup() { [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
cd "$work"
export XDG_RUNTIME_DIR="$work/runtime" && mkdir -m 700 "$XDG_RUNTIME_DIR"

peak_kb() { # the median of five runs' peak memory
    for _ in 1 2 3 4 5; do "$1" 2>&1 >/dev/null | sed -n 's/^peak_kb //p'; done | sort -n | sed -n 3p
}

measure() { # platform label
    local label=$1
    hyperfine --style basic --warmup 3 --runs 30 --export-json "$work/$label.json" \
        -n merlox2 "$build/bench/merlox2startup" -n bare "$build/bench/barewindow" >/dev/null
    local mem_app mem_bare
    mem_app=$(peak_kb "$build/bench/merlox2startup")
    mem_bare=$(peak_kb "$build/bench/barewindow")
    python3 - "$work/$label.json" "$label" "$mem_app" "$mem_bare" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
app, bare = runs["merlox2"]["median"], runs["bare"]["median"]
mem_app, mem_bare = int(sys.argv[3]), int(sys.argv[4])
print(f"{sys.argv[2]:>10}: start-up {app*1000:6.1f} ms vs bare {bare*1000:6.1f} ms  ratio {app/bare:.2f} (goal <= 1.2)"
      f"   peak memory {mem_app/1024:5.1f} MiB vs {mem_bare/1024:5.1f} MiB  ratio {mem_app/mem_bare:.2f} (goal <= 1.3)")
PY
}

QT_QPA_PLATFORM=offscreen measure offscreen

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
DISPLAY="$display" QT_QPA_PLATFORM=xcb measure xvfb

echo "Opening a worksheet on a full grade file (goal: within one frame, 16 ms):"
QT_QPA_PLATFORM=offscreen "$build/bench/merlox2guibench" --benchmark_min_time=1 2>/dev/null | grep BM_
