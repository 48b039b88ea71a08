# shellcheck shell=bash
# What the scripts share, sourced, not run (source "$(dirname "$0")/lib.sh"; setup.sh sources it for its
# callers): the repository's root, package installation with apt, a timer for the phases of a long run,
# Wine for one script's own programs, and a D-Bus session bus of a script's own. Sourcing only defines;
# nothing runs and no trap is set.

[[ -n ${MERLOX2_LIB_LOADED:-} ]] && return 0
MERLOX2_LIB_LOADED=1

# shellcheck disable=SC2034 # for the scripts that source this
MERLOX2_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MERLOX2_JOBS="${MERLOX2_JOBS:-$(nproc 2>/dev/null || echo 2)}"

merlox2_die() {
    echo "error: $*" >&2
    exit 1
}

# Lowest CPU and I/O priority, for the long builds on a shared machine; ionice is not everywhere.
merlox2_low_priority() {
    if command -v ionice >/dev/null; then
        nice -n 19 ionice -c3 "$@"
    else
        nice -n 19 "$@"
    fi
}

# --- Packages -----------------------------------------------------------------------------------------------

merlox2_is_installed() {
    [[ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" == installed ]]
}

# Runs a command as root: directly when we are root, otherwise through sudo. Fails (without running
# anything) when neither is possible, so that callers can say what the user has to do instead.
merlox2_as_root() {
    if [[ $EUID -eq 0 ]]; then
        "$@"
    elif merlox2_can_be_root; then
        sudo "$@"
    else
        return 126
    fi
}

merlox2_can_be_root() {
    [[ $EUID -eq 0 ]] || { command -v sudo >/dev/null && { sudo -n true 2>/dev/null || [[ -t 0 ]]; }; }
}

# apt-get, unattended, waiting for another apt run on the machine instead of failing at once.
merlox2_apt_get() {
    merlox2_as_root env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=900 "$@" </dev/null
}

MERLOX2_APT_UPDATED=0

merlox2_apt_update() {
    if [[ $MERLOX2_APT_UPDATED -eq 0 ]]; then
        echo "==> apt-get update"
        merlox2_apt_get update
        MERLOX2_APT_UPDATED=1
    fi
}

# Installs those of the given packages that dpkg does not report as installed.
merlox2_install_missing() {
    local missing=() package
    for package in "$@"; do
        merlox2_is_installed "$package" || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0

    if ! command -v apt-get >/dev/null || ! merlox2_can_be_root; then
        echo "error: these packages are missing and cannot be installed from here:" >&2
        echo "    ${missing[*]}" >&2
        echo "Install them as root (apt-get install ${missing[*]}) or run this command as root." >&2
        exit 1
    fi
    merlox2_apt_update
    echo "==> apt-get install ${missing[*]}"
    merlox2_apt_get install -y --no-install-recommends "${missing[@]}"
}

# --- Phases -------------------------------------------------------------------------------------------------

# A long run's phases, each announced and timed: `merlox2_timed NAME COMMAND...`, or merlox2_phase_begin NAME
# ... merlox2_phase_end around a block. Phases nest. merlox2_report_failed_phases, from an exit trap, names
# every phase still running when the script stopped; merlox2_phase_summary lists the finished ones.
MERLOX2_PHASES_RUNNING=()
MERLOX2_PHASE_STARTS=()
MERLOX2_PHASES_DONE=()
MERLOX2_PHASE_TOOK=()

merlox2_duration() {
    printf '%dm%02ds' $(($1 / 60)) $(($1 % 60))
}

merlox2_phase_begin() {
    MERLOX2_PHASES_RUNNING+=("$1")
    MERLOX2_PHASE_STARTS+=("$SECONDS")
    echo "==> $1"
}

merlox2_phase_end() {
    local name="${MERLOX2_PHASES_RUNNING[-1]}" took=$((SECONDS - MERLOX2_PHASE_STARTS[-1]))
    echo "==> $name: done in $(merlox2_duration "$took")"
    MERLOX2_PHASES_DONE+=("$name")
    MERLOX2_PHASE_TOOK+=("$took")
    unset 'MERLOX2_PHASES_RUNNING[-1]' 'MERLOX2_PHASE_STARTS[-1]'
}

merlox2_timed() {
    merlox2_phase_begin "$1"
    shift
    "$@"
    merlox2_phase_end
}

# `trap merlox2_report_failed_phases EXIT`, or called with the exit status from a trap of the script's own.
merlox2_report_failed_phases() {
    local status="${1:-$?}" i
    [[ $status -eq 0 ]] && return 0
    for ((i = ${#MERLOX2_PHASES_RUNNING[@]} - 1; i >= 0; i--)); do
        echo "==> ${MERLOX2_PHASES_RUNNING[i]}: FAILED after" \
            "$(merlox2_duration $((SECONDS - MERLOX2_PHASE_STARTS[i])))" >&2
    done
}

merlox2_phase_summary() {
    local i
    for i in "${!MERLOX2_PHASES_DONE[@]}"; do
        printf '  %-56s %7s\n' "${MERLOX2_PHASES_DONE[i]}" "$(merlox2_duration "${MERLOX2_PHASE_TOOK[i]}")"
    done
}

# --- Wine ---------------------------------------------------------------------------------------------------

# Wine for a script's own programs: the given prefix, 64-bit, quiet, no prompts to install Wine's .NET or
# HTML engines (nothing here needs them), no Linux menu entries made from shortcuts, and no search path
# brought from outside. With a second argument, the folder that Debian's Wine leaves a folder in at every
# start of its server (TMPDIR), so that it stays out of /tmp.
merlox2_wine_env() {
    export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
    unset WINEPATH
    if [[ -n ${2:-} ]]; then
        export TMPDIR="$2"
    fi
}

# Ends every program of the prefix and its server, for an exit trap; nothing when there is no prefix.
merlox2_wine_stop() {
    [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]] || return 0
    wineserver -k 2>/dev/null || true
    timeout 30 wineserver -w 2>/dev/null || true
}

# --- Session bus --------------------------------------------------------------------------------------------

# Runs the calling script again inside a D-Bus session bus of its own, which ends with it, so that no
# program it starts autolaunches a bus that stays behind; returns at once when it already runs in it:
#     merlox2_own_session_bus "$0" "$@"
merlox2_own_session_bus() {
    local script
    script="$(realpath "$1")"
    shift
    [[ ${MERLOX2_OWN_BUS:-} == "$script" ]] && return 0
    exec env MERLOX2_OWN_BUS="$script" dbus-run-session -- bash "$script" "$@"
}
