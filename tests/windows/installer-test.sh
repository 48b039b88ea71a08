#!/usr/bin/env bash
# Runs the Windows installer under Wine the way a teacher's computer sees it and checks what the teacher
# relies on: the program under Program Files, the "MERLOX2" shortcuts in the all-users Start menu and
# desktop that give every user who opens it the MERLOX2 folder of their own Documents (made by the program,
# again when it was deleted) and the "MERLOX2 Reportes" ones beside them, the uninstaller's registration, an
# upgrade in place that refuses to replace a running program, and grade files that neither an upgrade nor
# the uninstaller touch; then, once more, the installer and the uninstaller through their pages, as the
# teacher goes through them, with a picture of each page.
#
# Two Wine users share the computer: the one who installs (the account that authorised the installation)
# and a teacher, "maestra", whose profile Wine makes the first time it runs a program as that user.
#
#     tests/windows/installer-test.sh SETUP_EXE WORK_FOLDER [PICTURES_FOLDER]
#
# The pictures of the pages go into PICTURES_FOLDER (default WORK_FOLDER/pages).
# Everything it makes lives in WORK_FOLDER: a fresh Wine prefix (removed when every check passed, kept for a
# look when one failed) and a home folder of its own (Wine links the installing user's Documents and Desktop
# to folders of the home, so the real home stays untouched). The GUI runs on an X display of its own (Xvfb
# with openbox) inside a D-Bus session of its own; whatever it started is stopped when it ends, also when
# a check fails. Each failed check prints one line "FAIL: ...";
# the exit status is 0 only when every check passed.
#
# Needs: wine, wine64, xvfb, openbox, xdotool, python3, dbus-daemon (dbus-run-session), ImageMagick (import:
# the pictures of the pages, and of the screen at a failure).
set -euo pipefail

if [[ $# -lt 2 || $# -gt 3 ]]; then
    echo "usage: $0 SETUP_EXE WORK_FOLDER [PICTURES_FOLDER]" >&2
    exit 2
fi

# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/../../scripts/lib.sh"
# Every GUI program runs inside a session bus of the test's own, which ends with it.
merlox2_own_session_bus "$0" "$@"

[[ -f "$1" ]] || { echo "FAIL: no installer at $1" >&2; exit 1; }
SETUP="$(realpath "$1")"
mkdir -p "$2"
WORK="$(cd "$2" && pwd)"
mkdir -p "${3:-$WORK/pages}"
PAGES="$(cd "${3:-$WORK/pages}" && pwd)"
# The version the installer's window titles carry, from its name: merlox2-<version>-setup.exe.
VERSION="$(basename "$SETUP" | sed -nE 's/^merlox2-(.+)-setup\.exe$/\1/p')"
[[ -n $VERSION ]] || { echo "FAIL: $SETUP is not named merlox2-<version>-setup.exe" >&2; exit 1; }

# --- The test's own Wine, home and display ---------------------------------------------------------------

export HOME="$WORK/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
merlox2_wine_env "$WORK/wineprefix" "$WORK/tmp"

# shellcheck source=scripts/x-display.sh
source "$(dirname "$0")/../../scripts/x-display.sh"
STARTED=$SECONDS

cleanup() {
    local status=$?
    trap - EXIT
    # What the screen showed, when ImageMagick is there: most failures are a window nobody expected.
    if [[ $status -ne 0 && ${#MERLOX2_X_PIDS[@]} -gt 0 ]] && command -v import >/dev/null; then
        import -window root "$WORK/failure.png" 2>/dev/null && echo "(the screen at the failure: $WORK/failure.png)" >&2
    fi
    merlox2_wine_stop
    merlox2_x_stop
    if [[ $status -eq 0 ]]; then
        # A Wine prefix takes some 700 MB; the logs stay.
        rm -rf "$WINEPREFIX" "$TMPDIR"
        echo "installer test: passed in $((SECONDS - STARTED)) s"
    else
        echo "installer test: FAILED after $((SECONDS - STARTED)) s (Wine prefix kept in $WINEPREFIX)" >&2
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND failed" >&2' ERR
trap 'echo "FAIL: interrupted" >&2; exit 130' INT
trap 'echo "FAIL: stopped from outside (SIGTERM)" >&2; exit 143' TERM

FAILURES=0
fail() {
    echo "FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}
# Ends the test after a step whose checks failed: the later steps build on it.
end_of_step() {
    [[ $FAILURES -eq 0 ]] || exit 1
}
step() {
    echo "--- $* ($((SECONDS - STARTED)) s)"
}

# --- Helpers ------------------------------------------------------------------------------------------------

# Waits up to SECONDS for the window titled TITLE and gives it the keyboard focus for the keys that follow;
# ends the test with REASON when the window does not come.
front_window() {
    local title="$1" seconds="$2" reason="$3" status=0
    merlox2_x_front_window "$title" "$seconds" || status=$?
    case $status in
        0) return 0 ;;
        1) fail "$reason" ;;
        *) fail "the window '$title' did not get the keyboard focus" ;;
    esac
    end_of_step
}

# Waits up to SECONDS until every program of the prefix has ended (and Wine's server with them).
programs_end() {
    timeout "$1" wineserver -w
}

# Waits up to SECONDS for a file to exist (with SIZE bytes, when given).
file_appears() {
    local file="$1" deadline=$((SECONDS + $2)) size="${3:-}"
    while ((SECONDS < deadline)); do
        if [[ -f "$file" ]] && { [[ -z "$size" ]] || [[ "$(stat -c %s "$file")" == "$size" ]]; }; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Reads a Windows shortcut (.lnk, the Shell Link format) and prints its target, working folder and
# arguments, one a line.
read_shortcut() {
    python3 - "$1" <<'PYTHON'
import struct, sys

data = open(sys.argv[1], "rb").read()
if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
    sys.exit("not a shell link")
flags = struct.unpack_from("<I", data, 0x14)[0]
HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, HAS_ARGUMENTS, IS_UNICODE = 0x10, 0x20, 0x80
at = 0x4C
if flags & HAS_ID_LIST:
    at += 2 + struct.unpack_from("<H", data, at)[0]
target = ""
if flags & HAS_LINK_INFO:
    info = at
    size, header, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, info)

    def text(offset, wide):
        start = info + offset
        if wide:
            end = start
            while data[end:end + 2] != b"\0\0":
                end += 2
            return data[start:end].decode("utf-16-le")
        return data[start:data.index(b"\0", start)].decode("cp1252")

    if info_flags & 1:
        if header >= 0x24:
            base_wide, suffix_wide = struct.unpack_from("<2I", data, info + 0x1C)
            target = text(base_wide, True) + text(suffix_wide, True)
        else:
            target = text(base, False) + text(suffix, False)
    at += size
strings = {}
for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR, HAS_ARGUMENTS):
    if flags & flag:
        count = struct.unpack_from("<H", data, at)[0]
        at += 2
        if flags & IS_UNICODE:
            value = data[at:at + 2 * count].decode("utf-16-le")
            at += 2 * count
        else:
            value = data[at:at + count].decode("cp1252")
            at += count
        strings[flag] = value.rstrip("\0")
print(target)
print(strings.get(HAS_WORKING_DIR, ""))
print(strings.get(HAS_ARGUMENTS, ""))
PYTHON
}

# Prints a value of the uninstaller's registry key (64-bit view); fails when the key or value is missing.
registry_value() {
    local output
    output="$(wine reg query "$UNINSTALL_KEY" /v "$1" /reg:64 2>/dev/null | tr -d '\r')" || return 1
    sed -nE "s/^ +$1 +REG_[A-Z_]+ +(.*)$/\1/p" <<<"$output"
}

# Runs the installed uninstaller where it is, as an upgrade does, and returns its exit code. NSIS reads
# "_?=" only unquoted, and wine quotes an argument with spaces, hence the batch file.
uninstall_in_place() {
    local batch=uninstall-in-place.bat
    printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$WIN_INSTALL_DIR" "$WIN_INSTALL_DIR" \
        >"$USER_DIR/Temp/$batch"
    timeout 120 wine cmd /c "$WIN_USER_DIR\\Temp\\$batch"
}

# Every file and folder under a folder with its inode and change time: a file written, replaced, renamed
# or deleted shows, also when the installer writes the same bytes again.
untouched_state() {
    find "$1" -printf '%P %y %i %C@ %s\n' | sort
}

# The checksums of every file under a folder, relative paths, sorted.
checksums() {
    (cd "$1" && find . -type f -print0 | sort -z | xargs -0r sha256sum)
}

same_text() {
    [[ "${1,,}" == "${2,,}" ]]
}

# How many pixels two pictures of a window differ in; a large number where they can't be compared.
pixels_apart() {
    local count
    count="$(compare -metric AE "$1" "$2" null: 2>&1)" || true
    if [[ $count =~ ^[0-9.e+]+ ]]; then printf '%.0f\n' "${BASH_REMATCH[0]}"; else echo 999999999; fi
}

# Saves the picture of a page of the assistant as FILE: waits up to SECONDS until the window has stayed the
# same for a second (but for a blinking caret) and differs from the page before (PAGE_PICTURE) by more than
# a caret, then takes it. Ends the test with REASON when no new page settles.
PAGE_PICTURE=
page_picture() {
    local window="$1" file="$2" deadline=$(($3 + SECONDS)) reason="$4" now="$WORK/look-now.png"
    local last="$WORK/look-last.png" settled=0
    rm -f "$last"
    while ((SECONDS < deadline)); do
        # Bounded: import waits for a click where the window is gone.
        if timeout 10 import -window "$window" "$now" 2>/dev/null; then
            if [[ -f $last ]] && (($(pixels_apart "$now" "$last") < 100)); then
                settled=$((settled + 1))
            else
                settled=0
            fi
            mv "$now" "$last"
            if ((settled >= 2)) && { [[ -z $PAGE_PICTURE ]] || (($(pixels_apart "$last" "$PAGE_PICTURE") >= 1000)); }; then
                mv "$last" "$PAGES/$file"
                PAGE_PICTURE="$PAGES/$file"
                return 0
            fi
        fi
        sleep 0.5
    done
    fail "$reason"
    end_of_step
}

# --- The steps ----------------------------------------------------------------------------------------------

step "starting the display and a fresh Wine prefix in $WORK"
rm -rf "$WINEPREFIX" "$HOME" "$TMPDIR"
mkdir -p "$TMPDIR"
# Separate Documents and Desktop folders, as a desktop's user folders are; Wine links the Windows user's
# folders to them.
mkdir -p "$HOME/.config" "$HOME/Documents" "$HOME/Desktop"
# shellcheck disable=SC2016 # $HOME is written as is: the file's own notation
printf 'XDG_DESKTOP_DIR="$HOME/Desktop"\nXDG_DOCUMENTS_DIR="$HOME/Documents"\n' >"$HOME/.config/user-dirs.dirs"
merlox2_x_start "$WORK" 1280x1024x24 --window-manager || { echo "FAIL: no X display for the installer" >&2; exit 1; }
wineboot --init >"$WORK/wineboot.log" 2>&1 || { echo "FAIL: wineboot failed (see $WORK/wineboot.log)" >&2; exit 1; }
programs_end 120 || { echo "FAIL: the new Wine prefix's programs did not end within 120 s" >&2; exit 1; }

USER_DIR="$WINEPREFIX/drive_c/users/$(id -un)"
[[ -d "$USER_DIR" ]] || { echo "FAIL: the Wine prefix has no user folder $USER_DIR" >&2; exit 1; }
WIN_USER_DIR="C:\\users\\$(id -un)"
INSTALL_DIR="$WINEPREFIX/drive_c/Program Files/MERLOX2"
WIN_INSTALL_DIR='C:\Program Files\MERLOX2'
WORK_DIR="$USER_DIR/Documents/MERLOX2"
WIN_WORK_DIR="$WIN_USER_DIR\\Documents\\MERLOX2"
# The teacher's account: Wine takes the user's name from USER and makes the profile at its first program.
TEACHER=maestra
TEACHER_DIR="$WINEPREFIX/drive_c/users/$TEACHER"
TEACHER_WORK_DIR="$TEACHER_DIR/Documents/MERLOX2"
WIN_TEACHER_WORK_DIR="C:\\users\\$TEACHER\\Documents\\MERLOX2"
# Every user's shortcuts, and where those of the installing user alone would be.
START_MENU_LINK="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/MERLOX2.lnk"
DESKTOP_LINK="$WINEPREFIX/drive_c/users/Public/Desktop/MERLOX2.lnk"
OWN_LINKS=("$USER_DIR/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/MERLOX2.lnk"
           "$USER_DIR/Desktop/MERLOX2.lnk")
START_MENU_REPORTS_LINK="${START_MENU_LINK%/*}/MERLOX2 Reportes.lnk"
DESKTOP_REPORTS_LINK="${DESKTOP_LINK%/*}/MERLOX2 Reportes.lnk"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\MERLOX2'
[[ ! -e "$WORK_DIR" ]] || { echo "FAIL: $WORK_DIR exists before the installation" >&2; exit 1; }
[[ "$(id -un)" != "$TEACHER" ]] || { echo "FAIL: the test runs as $TEACHER, its second user" >&2; exit 1; }

# Runs a command as the teacher. Wine's server keeps the user it started with: none may be running.
as_teacher() {
    USER="$TEACHER" LOGNAME="$TEACHER" "$@"
}

# The «MERLOX2 Reportes» shortcut beside a MERLOX2 one: the same program and working folder, and its
# arguments followed by --reportes, which opens the reports window.
check_reports_shortcut() {
    local when="$1" main="$2" link="$3" main_target main_workdir main_arguments target workdir arguments
    if ! { read -r target && read -r workdir && read -r arguments; } < <(read_shortcut "$link" 2>/dev/null); then
        fail "$when: no shortcut ${link#"$USER_DIR/"} that can be read"
        return 0
    fi
    # A MERLOX2 shortcut that can't be read is told by check_installation.
    { read -r main_target && read -r main_workdir && read -r main_arguments; } < <(read_shortcut "$main" 2>/dev/null) ||
        return 0
    same_text "$target" "$main_target" ||
        fail "$when: ${link#"$USER_DIR/"} points to '$target', not to '$main_target' as ${main#"$USER_DIR/"} does"
    same_text "$workdir" "$main_workdir" ||
        fail "$when: ${link#"$USER_DIR/"} starts in '$workdir', not in '$main_workdir' as ${main#"$USER_DIR/"} does"
    [[ "$arguments" == "${main_arguments:+$main_arguments }--reportes" ]] ||
        fail "$when: ${link#"$USER_DIR/"} passes '$arguments', not '${main_arguments:+$main_arguments }--reportes'"
}

# What every installation leaves: the program, its uninstaller and registration, the shortcuts.
check_installation() {
    local when="$1" link value target workdir arguments
    [[ -f "$INSTALL_DIR/merlox2.exe" ]] || fail "$when: no $WIN_INSTALL_DIR\\merlox2.exe"
    [[ -f "$INSTALL_DIR/uninstall.exe" ]] || fail "$when: no $WIN_INSTALL_DIR\\uninstall.exe"
    value="$(registry_value DisplayName)" || value=
    [[ "$value" == MERLOX2 ]] || fail "$when: DisplayName of $UNINSTALL_KEY is '$value', not 'MERLOX2'"
    value="$(registry_value UninstallString)" || value=
    same_text "$value" "\"$WIN_INSTALL_DIR\\uninstall.exe\"" ||
        fail "$when: UninstallString of $UNINSTALL_KEY is '$value', not the installed uninstall.exe"
    value="$(registry_value InstallLocation)" || value=
    same_text "$value" "$WIN_INSTALL_DIR" ||
        fail "$when: InstallLocation of $UNINSTALL_KEY is '$value', not '$WIN_INSTALL_DIR'"
    for link in "$START_MENU_LINK" "$DESKTOP_LINK"; do
        if [[ ! -f "$link" ]]; then
            fail "$when: no shortcut ${link#"$WINEPREFIX/drive_c/"}"
            continue
        fi
        if ! { read -r target && read -r workdir && read -r arguments; } < <(read_shortcut "$link"); then
            fail "$when: ${link#"$WINEPREFIX/drive_c/"} cannot be read as a shortcut"
            continue
        fi
        same_text "$target" "$WIN_INSTALL_DIR\\merlox2.exe" ||
            fail "$when: ${link#"$WINEPREFIX/drive_c/"} points to '$target', not the installed merlox2.exe"
        # No user's folder: the program finds the Documents of whoever opens it.
        same_text "$workdir" "$WIN_INSTALL_DIR" ||
            fail "$when: ${link#"$WINEPREFIX/drive_c/"} starts in '$workdir', not '$WIN_INSTALL_DIR'"
        [[ "$arguments" == --carpeta-documentos ]] ||
            fail "$when: ${link#"$WINEPREFIX/drive_c/"} passes '$arguments', not '--carpeta-documentos'"
    done
    for link in "${OWN_LINKS[@]}"; do
        [[ ! -e "$link" ]] || fail "$when: a shortcut of the installing user alone: ${link#"$USER_DIR/"}"
    done
    check_reports_shortcut "$when" "$START_MENU_LINK" "$START_MENU_REPORTS_LINK"
    check_reports_shortcut "$when" "$DESKTOP_LINK" "$DESKTOP_REPORTS_LINK"
}

# What every uninstallation leaves: nothing of the program, the grade files as they were.
check_uninstalled() {
    [[ ! -e "$INSTALL_DIR" ]] || fail "the uninstaller left $WIN_INSTALL_DIR: $(cd "$INSTALL_DIR" && find . | head -n5 | tr '\n' ' ')"
    [[ ! -e "$START_MENU_LINK" ]] || fail "the uninstaller left the Start-menu shortcut"
    [[ ! -e "$DESKTOP_LINK" ]] || fail "the uninstaller left the desktop shortcut"
    [[ ! -e "$START_MENU_REPORTS_LINK" ]] || fail "the uninstaller left the Start-menu shortcut MERLOX2 Reportes"
    [[ ! -e "$DESKTOP_REPORTS_LINK" ]] || fail "the uninstaller left the desktop shortcut MERLOX2 Reportes"
    if wine reg query "$UNINSTALL_KEY" /reg:64 >/dev/null 2>&1; then
        fail "the uninstaller left the registry key $UNINSTALL_KEY"
    fi
    if [[ ! -d "$WORK_DIR" ]]; then
        fail "the uninstaller removed $WIN_WORK_DIR"
    elif [[ "$(checksums "$WORK_DIR")" != "$grades_before" ]]; then
        fail "the uninstaller changed the files in $WIN_WORK_DIR"
    fi
}

# Starts the program as a shortcut says (its program, start folder and arguments), as the user the command
# runs as; waits for its access screen and for FOLDER, and closes it on the close message, as Windows does.
# Wine opens no shortcut for a user whose profile it made on the fly ("There is no Windows program
# configured to open this type of file"), so the shortcut is read rather than opened.
start_and_close() {
    local link="$1" folder="$2" win_folder="$3" target workdir arguments=()
    { read -r target && read -r workdir && read -ra arguments; } < <(read_shortcut "$link") ||
        fail "${link#"$WINEPREFIX/drive_c/"} cannot be read as a shortcut"
    same_text "$target" "$WIN_INSTALL_DIR\\merlox2.exe" || fail "${link#"$WINEPREFIX/drive_c/"} points to '$target'"
    end_of_step
    wine start /d "$workdir" /unix "$INSTALL_DIR/merlox2.exe" "${arguments[@]}" >"$WORK/run.log" 2>&1 ||
        fail "wine start of the program as ${link#"$WINEPREFIX/drive_c/"} says failed"
    front_window "MERLOX 2 EDUC. FISICA SECUNDARIA" 90 \
        "no access screen within 90 s of starting the program as ${link#"$WINEPREFIX/drive_c/"} says"
    [[ -d "$folder" ]] || fail "the program started as ${link#"$WINEPREFIX/drive_c/"} says did not make $win_folder"
    wine taskkill /IM merlox2.exe >"$WORK/taskkill.log" 2>&1 || true
    programs_end 30 || fail "the program did not end within 30 s of the close message"
}

step "installing silently (setup.exe /S)"
status=0
wine "$SETUP" /S >"$WORK/install.log" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "the installation ended with exit code $status"
check_installation "after the installation"
[[ ! -e "$WORK_DIR" ]] || fail "the installation made $WIN_WORK_DIR: that is the program's to make, for each user"
end_of_step

step "starting the program from the Start-menu shortcut and storing the first grade's file"
wine start /unix "$START_MENU_LINK" >"$WORK/run.log" 2>&1 || fail "wine start of the Start-menu shortcut failed"
front_window "MERLOX 2 EDUC. FISICA SECUNDARIA" 90 "no access screen within 90 s of starting the shortcut"
xdotool type --delay 50 418357
xdotool key --delay 50 Tab space
front_window "MERLOX 2 SECUNDARIA" 30 "the access code 418357 and ENTRAR did not lead to the title screen"
xdotool key space
front_window "MERLOX2 MENU" 30 "space on the title screen did not open the grade menu"
xdotool key Return
front_window "MERLOX2 PRIMER GRADO (SECUNDARIA)" 30 "Return on the grade menu did not open the first grade's worksheet"
file_appears "$WORK_DIR/secundaria1.dat.lock" 20 ||
    fail "the first grade's worksheet is open but $WIN_WORK_DIR has no secundaria1.dat.lock: the program did not start there"
# From the name box, where the worksheet opens, Salir is 17 fields on.
# shellcheck disable=SC2046 # 17 separate Tab keys
xdotool key --delay 50 $(printf 'Tab %.0s' {1..17}) space
file_appears "$WORK_DIR/secundaria1.dat" 30 3900 ||
    fail "Salir left no 3900-byte secundaria1.dat in $WIN_WORK_DIR"
programs_end 60 || fail "the program did not end within 60 s of Salir"
end_of_step

step "a second user, $TEACHER, opens the program from every user's shortcuts: a folder of her own, made again"
own_before="$(checksums "$WORK_DIR")"
[[ ! -e "$TEACHER_WORK_DIR" ]] || fail "$WIN_TEACHER_WORK_DIR exists before $TEACHER opened the program"
as_teacher start_and_close "$START_MENU_LINK" "$TEACHER_WORK_DIR" "$WIN_TEACHER_WORK_DIR"
[[ ! "$TEACHER_WORK_DIR" -ef "$WORK_DIR" ]] || fail "$WIN_TEACHER_WORK_DIR is the installing user's folder"
end_of_step
rm -rf "$TEACHER_WORK_DIR"
as_teacher start_and_close "$DESKTOP_LINK" "$TEACHER_WORK_DIR" "$WIN_TEACHER_WORK_DIR"
[[ "$(checksums "$WORK_DIR")" == "$own_before" ]] || fail "$TEACHER's program wrote in $WIN_WORK_DIR"
end_of_step

step "upgrading silently over the installation, with grade files in Documents\\MERLOX2"
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * 7 + 3) % 256 for i in range(3900)))' \
    >"$WORK_DIR/secundaria2.dat"
grades_before="$(checksums "$WORK_DIR")"
status=0
wine "$SETUP" /S >"$WORK/upgrade.log" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "the upgrade ended with exit code $status"
check_installation "after the upgrade"
[[ "$(checksums "$WORK_DIR")" == "$grades_before" ]] || fail "the upgrade changed the files in $WIN_WORK_DIR"
end_of_step

step "upgrading while the program runs (started from the desktop shortcut)"
wine start /unix "$DESKTOP_LINK" >"$WORK/run.log" 2>&1 || fail "wine start of the desktop shortcut failed"
front_window "MERLOX 2 EDUC. FISICA SECUNDARIA" 90 "no access screen within 90 s of starting the desktop shortcut"
program_before="$(untouched_state "$INSTALL_DIR")"
status=0
timeout 120 wine "$SETUP" /S >"$WORK/busy-upgrade.log" 2>&1 || status=$?
[[ $status -eq 2 ]] ||
    fail "the upgrade over the running program ended with exit code $status, not 2 (refused: close it first)"
[[ "$(untouched_state "$INSTALL_DIR")" == "$program_before" ]] || fail "the upgrade changed the running program's folder"
status=0
uninstall_in_place >"$WORK/busy-uninstall.log" 2>&1 || status=$?
[[ $status -eq 2 ]] ||
    fail "the uninstaller run over the running program ended with exit code $status, not 2 (refused: close it first)"
[[ "$(untouched_state "$INSTALL_DIR")" == "$program_before" ]] || fail "the uninstaller changed the running program's folder"
merlox2_x_window "MERLOX 2 EDUC. FISICA SECUNDARIA" 1 >/dev/null || fail "the program's window is gone after the refused upgrade"
# The program closes as on Windows, on the close message; a stubborn one is ended by force.
wine taskkill /IM merlox2.exe >"$WORK/taskkill.log" 2>&1 || true
if ! programs_end 30; then
    echo "(the program did not end on the close message; ending it by force)"
    wineserver -k || true
    programs_end 30 || fail "the program could not be ended"
fi
end_of_step

step "uninstalling silently (uninstall.exe /S)"
teacher_before="$(checksums "$TEACHER_WORK_DIR")"
status=0
wine "$INSTALL_DIR/uninstall.exe" /S >"$WORK/uninstall.log" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "the uninstaller ended with exit code $status"
# The uninstaller runs on from a copy of itself in the temporary folder; it is done when Wine is idle.
programs_end 120 || fail "the uninstaller did not end within 120 s"
check_uninstalled
[[ -d "$TEACHER_WORK_DIR" && "$(checksums "$TEACHER_WORK_DIR")" == "$teacher_before" ]] ||
    fail "the uninstaller changed $WIN_TEACHER_WORK_DIR"
end_of_step

# --- Through the pages --------------------------------------------------------------------------------------

step "installing through the assistant's pages (pictures in $PAGES)"
SETUP_TITLE="Instalación de MERLOX2 $VERSION"
wine "$SETUP" >"$WORK/pages-install.log" 2>&1 &
front_window "$SETUP_TITLE" 90 "no window '$SETUP_TITLE' within 90 s of starting the installer"
window="$(merlox2_x_window "$SETUP_TITLE" 1)"
PAGE_PICTURE=
page_picture "$window" 1-bienvenida.png 30 "the installer's welcome page did not settle"
xdotool key Return
page_picture "$window" 2-carpeta.png 30 "Siguiente on the welcome page did not lead to the folder page"
xdotool key Return
# The copying page: it is complete when its "Siguiente" is enabled, after the last file.
file_appears "$INSTALL_DIR/uninstall.exe" 120 || fail "Instalar on the folder page installed nothing within 120 s"
page_picture "$window" 3-instalando.png 60 "the installation's progress page did not settle"
xdotool key Return
page_picture "$window" 4-terminado.png 30 "Siguiente after the copying did not lead to the last page"
# Terminar closes the assistant; it starts nothing, since it may run as the account that authorised it.
xdotool key Return
wait $! || fail "the installer through its pages ended with exit code $?"
check_installation "after the installation through the pages"
[[ "$(checksums "$WORK_DIR")" == "$grades_before" ]] || fail "the installation through the pages changed $WIN_WORK_DIR"
end_of_step

step "uninstalling through the uninstaller's pages"
# NSIS ends the uninstaller's title with a blank.
UNINSTALL_TITLE="Desinstalación de MERLOX2 $VERSION "
wine "$INSTALL_DIR/uninstall.exe" >"$WORK/pages-uninstall.log" 2>&1 &
front_window "$UNINSTALL_TITLE" 90 "no window '$UNINSTALL_TITLE' within 90 s of starting the uninstaller"
window="$(merlox2_x_window "$UNINSTALL_TITLE" 1)"
PAGE_PICTURE=
page_picture "$window" 5-desinstalar.png 30 "the uninstaller's first page did not settle"
xdotool key Return
# The uninstaller runs on from a copy of itself; its last page stays until Cerrar.
deadline=$((SECONDS + 120))
while [[ -e "$INSTALL_DIR/merlox2.exe" ]] && ((SECONDS < deadline)); do sleep 0.5; done
page_picture "$window" 6-desinstalado.png 60 "the uninstaller's progress page did not settle"
xdotool key Return
programs_end 120 || fail "the uninstaller did not end within 120 s of Cerrar"
check_uninstalled
end_of_step
