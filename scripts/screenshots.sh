#!/usr/bin/env bash
# Screenshots of every screen, as a teacher sees them on an 800 x 600 screen: the program runs under
# Xvfb with a small window manager (openbox, so that maximising works) and is driven from the keyboard
# through a typical session. The pictures go to docs/screenshots/ (shown by the README). All of it runs
# inside one D-Bus session bus of the script's own, which ends with it: otherwise the program would
# autolaunch a bus daemon under Xvfb that stays behind.
#
#     scripts/screenshots.sh [OUTPUT_FOLDER]
set -euo pipefail
# shellcheck source=scripts/setup.sh
source "$(dirname "$0")/setup.sh" run
merlox2_install_missing xvfb xauth openbox x11-utils xdotool imagemagick dbus-daemon
merlox2_own_session_bus "$0" "$@"
# shellcheck disable=SC2119 # no targets: everything
merlox2_build_normal >/dev/null

out="$(realpath -m "${1:-$MERLOX2_ROOT/docs/screenshots}")"
mkdir -p "$out"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    merlox2_x_stop
    rm -rf "$work"
}
# shellcheck source=scripts/x-display.sh
source "$MERLOX2_ROOT/scripts/x-display.sh"
trap cleanup EXIT

export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" HOME="$work"
mkdir -m 700 "$XDG_RUNTIME_DIR"
merlox2_x_start "$work" 800x600x24 --window-manager
cd "$work" # the grade files of this session live here, never in the repository
# In Spanish, as on the teacher's desktop: the date on the worksheets follows the system's language.
LANG=es_MX.UTF-8 "$MERLOX2_ROOT/build/merlox2" >"$work/merlox2.log" 2>&1 & pids+=($!)
sleep 2

step() { sleep 0.8; }
keys() { xdotool key --delay 60 "$@"; step; }
type_text() { xdotool type --delay 40 "$1"; }
shot() { step; import -window root "$out/$1.png"; echo "  $out/$1.png"; }
tabs() { for _ in $(seq "$1"); do xdotool key Tab; sleep 0.05; done; step; }
# Types one student into the seven boxes, Enter moving from box to box.
student() {
    local field
    for field in "$@"; do type_text "$field"; xdotool key Return; sleep 0.1; done
    step
}

echo "Screenshots:"
type_text 418357; shot access                  # CLAVESEC, the code shown as asterisks
keys Tab space; shot title                     # empezar
keys space; shot menu                          # MENU
keys Return                                    # 1º GRADO (Enter clicks the focused button)
student "María Fernanda López Ruiz" 12 1.9 7.5 22 25 20
keys space; tabs 7; keys space; shot prisecu   # Hombre, Procesar
tabs 12; keys space                            # Regresar
keys Tab space                                 # 2º GRADO
student "Sofía Núñez Castañeda" 13 1.45 7.2 28 30 26
keys Tab space; tabs 6; keys space; shot segusecu   # Mujer, Datos (Procesar is disabled: no tab stop)
tabs 12; keys space                            # Regresar
keys Tab space; shot tersecu                   # 3º GRADO
tabs 12; keys space                            # Regresar
keys Tab space                                 # SALIR of the menu: the title screen again
keys Tab space; shot formato                   # FORMATO
keys space                                     # its SALIR
keys Tab space; shot metodologia               # METODOLOGIA, next to FORMATO
