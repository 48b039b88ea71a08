#!/usr/bin/env bash
# An X display of a script's own, for the programs it drives or measures: Xvfb, which picks a free display
# number itself (no clash with another run's display), and, when asked, openbox, waited for until it
# manages windows (a window mapped while it is still starting can stay unmanaged and unseen).
#
#     source scripts/x-display.sh
#     merlox2_x_start LOG_FOLDER 800x600x24 [--window-manager]     exports DISPLAY
#     ...
#     merlox2_x_stop                                                stops both; safe to call twice
#
# Needs xvfb, and for the window manager openbox and x11-utils (xprop).

MERLOX2_X_PIDS=()

merlox2_x_start() {
    local logs="$1" size="$2" manager="${3:-}" fd number="" waited
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 "$size" -nolisten tcp >"$logs/xvfb.log" 2>&1 &
    MERLOX2_X_PIDS+=($!)
    read -r -t 30 -u "$fd" number || true
    exec {fd}<&-
    if [[ -z $number ]]; then
        echo "error: Xvfb did not start ($logs/xvfb.log: $(tail -n1 "$logs/xvfb.log"))" >&2
        return 1
    fi
    export DISPLAY=":$number"
    [[ $manager == --window-manager ]] || return 0

    openbox --sm-disable >"$logs/openbox.log" 2>&1 &
    MERLOX2_X_PIDS+=($!)
    for ((waited = 0; waited < 100; waited++)); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "error: openbox did not take the display within 10 s (log: $logs/openbox.log)" >&2
    return 1
}

# Stops the window manager and Xvfb, and waits for them: Xvfb removes its lock file on the way out.
merlox2_x_stop() {
    local pid
    for pid in "${MERLOX2_X_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${MERLOX2_X_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    MERLOX2_X_PIDS=()
}

# Prints the id of a visible window whose whole title is TITLE, waiting up to SECONDS for it; returns 1
# when none came. Polled: `xdotool search --sync` dies on a window that closes while it looks.
merlox2_x_window() {
    local title="$1" deadline=$((SECONDS + $2)) pattern window
    # shellcheck disable=SC2016 # the $ is one of the characters escaped
    pattern="^$(printf '%s' "$title" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
    while ((SECONDS < deadline)); do
        window="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1)" || true
        if [[ -n $window ]]; then
            echo "$window"
            return 0
        fi
        sleep 0.25
    done
    return 1
}

# Waits up to SECONDS for the window titled TITLE and gives it the keyboard focus, so that the keys that
# follow go to it (Wine takes the focus a moment after the window manager activates the window). Returns
# 1 when the window did not come, 2 when it did not get the focus.
merlox2_x_front_window() {
    local title="$1" window i
    window="$(merlox2_x_window "$title" "$2")" || return 1
    for ((i = 0; i < 40; i++)); do
        if [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]]; then
            sleep 0.3
            return 0
        fi
        xdotool windowactivate "$window" >/dev/null 2>&1 || true
        sleep 0.25
    done
    return 2
}
