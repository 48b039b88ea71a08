#!/usr/bin/env bash
# The whole program, as a teacher uses it, once on Linux and once on Windows under Wine, with the same
# keystrokes: it starts, takes the code, opens the first grade, a student is typed with Enter between the
# boxes (the accented name pasted), "Guardar Registro", "Hombre" and "Procesar", "IMPRIMIR", then a second
# student typed, not stored, and the worksheet closed with the window's close control ("Sí" to the question
# about the changes), and the other windows closed, the last one ending the program. Then:
#   - the first grade's file from Windows must be byte for byte the one from Linux, and hold the student;
#   - each print job must reach the default printer as one page, the Windows one with the Linux one's words
#     and as large on the paper;
#   - the title screen's and the worksheet's bottom rows of buttons must be on the screen.
# On Windows it runs twice: at 96 dpi, and at 144 dpi (150 %), where the screens are drawn smaller to fit.
#
#     tests/windows/smoke-test.sh LINUX_PROGRAM WINDOWS_PROGRAM WORK_FOLDER [SCREENSHOT_FOLDER]
#
# LINUX_PROGRAM is build/merlox2; WINDOWS_PROGRAM the deployed merlox2.exe (with its DLLs beside it, so
# that a DLL missing from the packages fails here). Everything runs under an Xvfb of its own, at 800 x 600
# like the README's pictures, with openbox, inside a D-Bus session bus of its own, printing to a CUPS daemon
# of its own (scripts/private-cups.sh) that Wine takes its default printer from; Wine gets a prefix of its
# own in WORK_FOLDER, so nothing outside the packaged program can stand in for a missing file. With
# SCREENSHOT_FOLDER, the access screen and the worksheet under Wine are saved there as
# windows-access.png and windows-prisecu.png. Every process it starts is stopped when it ends.
set -euo pipefail

if [[ $# -lt 3 ]]; then
    echo "usage: $0 LINUX_PROGRAM WINDOWS_PROGRAM WORK_FOLDER [SCREENSHOT_FOLDER]" >&2
    exit 2
fi
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/../../scripts/lib.sh"
merlox2_own_session_bus "$0" "$@"

linux_program="$(realpath "$1")"
windows_program="$(realpath "$2")"
work="$(realpath -m "$3")"
shots="${4:+$(realpath -m "$4")}"
here="$(cd "$(dirname "$0")" && pwd)"

# The student, with the accents and the ñ that the grade file keeps in Windows-1252.
STUDENT=("Begoña Ibáñez Núñez" 12 1.9 "7,5" 22 25 20)   # the comma: a decimal point too
SECOND_STUDENT=Luis
CODE=418357

rm -rf "$work"
mkdir -p "$work"
pids=()
merlox2_wine_env "$work/wineprefix"

# What the screen showed goes beside the message: most failures here are a window nobody expected.
fail() {
    echo "FAILED: $*" >&2
    if [[ ${#MERLOX2_X_PIDS[@]} -gt 0 ]] && import -window root "$work/failure.png" 2>/dev/null; then
        echo "The screen at that moment: $work/failure.png" >&2
    fi
    exit 1
}

cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [[ -d $WINEPREFIX ]]; then wineserver -k 2>/dev/null || true; fi
    merlox2_x_stop
    merlox2_cups_stop
}
# shellcheck source=scripts/private-cups.sh
source "$here/../../scripts/private-cups.sh"
# shellcheck source=scripts/x-display.sh
source "$here/../../scripts/x-display.sh"
trap cleanup EXIT
merlox2_cups_start
# Set after the print server made its folder (whose socket path must stay short): Debian's Wine leaves a
# folder in TMPDIR at every start of its server.
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

# Both programs run in Mexican Spanish, as on the teacher's computer (Wine takes Windows' language from it).
# The machine need not have that locale: it is compiled into the work folder, for these programs alone.
mkdir -p "$work/locale"
localedef -i es_MX -f UTF-8 "$work/locale/es_MX.UTF-8" >"$work/localedef.log" 2>&1 ||
    fail "could not compile the es_MX.UTF-8 locale (package locales; log: $work/localedef.log)"
export LOCPATH="$work/locale"
unset LC_ALL LANGUAGE
export LANG=es_MX.UTF-8

export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
# Everything the programs, Wine and the window manager keep goes under that home.
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
merlox2_x_start "$work" 800x600x24 --window-manager || fail "no X display for the programs"

# Waits for the window of that title (Wine's first start in a new prefix is slow) and gives it the keyboard
# focus: the keys that follow go to it.
front_window() {
    local title="$1" seconds="${2:-30}" status=0
    merlox2_x_front_window "$title" "$seconds" || status=$?
    ((status == 0)) && return 0
    ((status == 1)) && fail "the window \"$title\" did not appear within $seconds s"
    fail "the window \"$title\" did not get the keyboard focus"
}

pause() { sleep "${PAUSE:-0.3}"; }
keys() {
    local key
    for key in "$@"; do xdotool key "$key"; pause; done
}
tabs() {
    for _ in $(seq "$1"); do xdotool key Tab; sleep 0.1; done
    pause
}
# Types plain ASCII text, as keystrokes.
type_text() {
    LC_ALL=C.UTF-8 xdotool type --delay 60 "$1"
    pause
}

# Puts text into a box through the clipboard (Ctrl+V). Used for the accented name: Wine under Xvfb takes
# the keys that xdotool injects for letters beyond ASCII (a key lent for a moment, or a dead key) for
# other letters, so typing them would test the injection rather than the program. The pasted text goes
# through the same box, filter and conversion to Windows-1252 as typed text.
paste_text() {
    printf '%s' "$1" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
    local owner=$! offered=""
    for _ in $(seq 40); do
        offered="$(xclip -o -selection clipboard 2>/dev/null)" || true
        [[ $offered == "$1" ]] && break
        sleep 0.25
    done
    [[ $offered == "$1" ]] || fail "the clipboard did not take the text to paste: $1"
    sleep 0.5 # for the program to hear of the new clipboard
    xdotool key ctrl+v
    pause
    kill "$owner" 2>/dev/null || true
    wait "$owner" 2>/dev/null || true
}

# Fails unless the screen shows at least 400 pixels of a colour that only one button of the screen in front
# has: the button is on the screen, not below its bottom edge. The picture stays in the work folder.
check_shows() {
    local shot="$work/$1.png" what="$2" colour="$3" count
    sleep 1
    import -window root "$shot"
    count="$(convert "$shot" -fill black +opaque "$colour" -fill white -opaque "$colour" -colorspace gray \
        -format '%[fx:round(mean*w*h)]' info:)"
    ((count >= 400)) || fail "$what is not on the screen: $count pixels of $colour (the screen: $shot)"
}

# Waits for a file to exist with at least one byte, up to the given seconds.
wait_file() {
    local file="$1" seconds="$2"
    for _ in $(seq $((seconds * 4))); do
        [[ -s $file ]] && return 0
        sleep 0.25
    done
    return 1
}

# Waits up to SECONDS for the grade file to hold the whole grade with the second student in record 2.
wait_stored() {
    local file="$1" deadline=$((SECONDS + $2))
    while ((SECONDS < deadline)); do
        [[ -s $file && $(stat -c %s "$file") == 3900 && $(dd if="$file" bs=1 skip=130 count=${#SECOND_STUDENT} 2>/dev/null) == "$SECOND_STUDENT" ]] &&
            return 0
        sleep 0.25
    done
    return 1
}

# One session of the program, started by the given command in the given data folder.
session() {
    local label="$1" data="$2" shot_prefix="$3"
    shift 3
    mkdir -p "$data"
    rm -f "$MERLOX2_TEST_PRINT_OUTPUT"
    echo "==> $label: starting"
    (cd "$data" && exec "$@" >"$work/$label.log" 2>&1) &
    local program=$!
    pids+=("$program")

    front_window "MERLOX 2 EDUC. FISICA SECUNDARIA" 90
    type_text "$CODE"
    [[ -n $shot_prefix ]] && import -window root "$shot_prefix-access.png"
    keys Tab space                                  # ENTRAR
    front_window "MERLOX 2 SECUNDARIA"
    check_shows "$label-title" "$label: the title screen's SALIR" "rgb(255,0,0)"
    keys space                                      # ENTRAR of the title screen
    front_window "MERLOX2 MENU"
    keys Return                                     # 1º GRADO, the focused button
    front_window "MERLOX2 PRIMER GRADO (SECUNDARIA)"
    check_shows "$label-prisecu" "$label: the worksheet's IMPRIMIR" "rgb(0,192,0)"
    echo "==> $label: typing the student"
    paste_text "${STUDENT[0]}"
    keys Return                                     # Enter moves on to the next box
    local field
    for field in "${STUDENT[@]:1}"; do
        type_text "$field"
        keys Return                                 # from the last box to Hombre
    done
    keys Tab Tab space                              # Mujer, then Guardar Registro
    wait_file "$data/secundaria1.dat" 10 || fail "$label: \"Guardar Registro\" wrote no secundaria1.dat"
    keys shift+Tab shift+Tab space                  # back to Hombre, chosen
    tabs 7; keys space                              # Procesar (Mujer, the five command buttons before it)
    [[ -n $shot_prefix ]] && { sleep 1; import -window root "$shot_prefix-prisecu.png"; }
    echo "==> $label: printing"
    # The evaluation leaves the focus in the name box: six boxes, the two options, six command buttons
    # and IMPRIMIR (Datos is disabled for Hombre) after it.
    tabs 15; keys space                             # IMPRIMIR
    wait_file "$MERLOX2_TEST_PRINT_OUTPUT" 90 || fail "$label: no print job reached the printer within 90 s"
    # The queue writes the file while the job runs (Wine's PostScript goes through Ghostscript first).
    for _ in $(seq 240); do
        [[ -z "$(lpstat -o "$MERLOX2_TEST_PRINT_QUEUE" 2>/dev/null)" ]] && break
        sleep 0.25
    done
    [[ -z "$(lpstat -o "$MERLOX2_TEST_PRINT_QUEUE" 2>/dev/null)" ]] || fail "$label: the print job did not end within 60 s"
    cp "$MERLOX2_TEST_PRINT_OUTPUT" "$work/$label-page.pdf"
    # A second student, not stored, and the worksheet left with the window's close control: the program asks
    # whether to store the changes, and "Sí" (the default) stores the whole grade as "Salir" would.
    echo "==> $label: a second student, left with the window's close control"
    keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space   # Registro Siguiente, five before IMPRIMIR
    type_text "$SECOND_STUDENT"
    keys alt+F4
    front_window "MERLOX2" 30                       # «¿Guardar los cambios de secundaria1.dat?»
    keys Return                                     # Sí
    wait_stored "$data/secundaria1.dat" 20 || fail "$label: \"Sí\" did not store the second student"
    # The last window closed ends the program.
    local title
    for title in "MERLOX2 MENU" "MERLOX 2 SECUNDARIA" "MERLOX 2 EDUC. FISICA SECUNDARIA"; do
        front_window "$title" 30
        keys alt+F4
    done
    for _ in $(seq 120); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.25
    done
    kill -0 "$program" 2>/dev/null && fail "$label: the program did not end when its last window was closed"
    wait "$program" || fail "$label: the program ended with status $? (log: $work/$label.log)"
    echo "==> $label: done"
}

# The printed page: one page, as the default printer received it.
check_page() {
    local label="$1" pages
    pages="$(pdfinfo "$work/$label-page.pdf" 2>/dev/null | sed -nE 's/^Pages: +([0-9]+)$/\1/p')"
    [[ $pages == 1 ]] || fail "$label: the printer received ${pages:-no readable} page(s) instead of one"
    echo "$label: the printer received one page"
}

# The Windows page against the Linux one: the same words (the date aside, which each system writes in its
# own short form), and the sheet as large on the paper: its right and bottom edges, as a share of the
# paper, within 3 points of a hundred.
compare_pages() {
    local label="$1"
    pdftotext -bbox "$work/linux-page.pdf" "$work/linux-page.html"
    pdftotext -bbox "$work/$label-page.pdf" "$work/$label-page.html"
    python3 - "$work/linux-page.html" "$work/$label-page.html" <<'PYTHON' || fail "the page printed by $label is not the Linux one"
import re, sys

def read(path):
    text = open(path, encoding="utf-8").read()
    page = re.search(r'<page width="([\d.]+)" height="([\d.]+)"', text)
    width, height = float(page.group(1)), float(page.group(2))
    words = [(float(x1), float(y1), float(x2), float(y2), w) for x1, y1, x2, y2, w in re.findall(
        r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>', text)]
    words = [w for w in words if not re.fullmatch(r"[\d/.-]+/[\d/.-]+", w[4])]
    right = max(w[2] for w in words) / width
    bottom = max(w[3] for w in words) / height
    return sorted(w[4] for w in words), right, bottom

linux, windows = read(sys.argv[1]), read(sys.argv[2])
ok = True
if linux[0] != windows[0]:
    print("words only on Linux:", sorted(set(linux[0]) - set(windows[0])),
          "only on Windows:", sorted(set(windows[0]) - set(linux[0])), file=sys.stderr)
    ok = False
for name, l, w in (("right edge", linux[1], windows[1]), ("bottom edge", linux[2], windows[2])):
    if abs(l - w) > 0.03:
        print(f"the text's {name} is at {w:.0%} of the paper on Windows, {l:.0%} on Linux", file=sys.stderr)
        ok = False
sys.exit(0 if ok else 1)
PYTHON
    echo "The $label page has the Linux page's words, as large on the paper."
}

# The reports window as its Start menu entry opens it (--carpeta-documentos --reportes), on the grade files
# of a Windows session copied into the MERLOX2 folder of the Windows user's Documents: the access code,
# «Exportar a Excel…» (Ctrl+E) into that folder through the system's save dialog, and the workbook read back
# with openpyxl, cell by cell against the students typed.
reports_export() {
    local label="$1" session_data="$2" program="$3" documents
    documents="$WINEPREFIX/drive_c/users/$(id -un)/Documents/MERLOX2"
    mkdir -p "$documents"
    cp "$session_data"/secundaria1.dat "$session_data"/secundaria1.sexo "$documents/" ||
        fail "$label: the session left no secundaria1.dat and secundaria1.sexo to export"
    echo "==> $label: exporting the grades to Excel from the reports window"
    (cd "$work" && exec wine "$program" --carpeta-documentos --reportes >"$work/$label.log" 2>&1) &
    local reports=$!
    pids+=("$reports")
    front_window "MERLOX2 REPORTES" 90
    type_text "$CODE"
    keys Return
    front_window "MERLOX2 REPORTES — MERLOX2" 30 # the title names the Documents' MERLOX2 folder
    keys ctrl+e
    front_window "Exportar a Excel" 30
    local windows_user
    windows_user="$(id -un)"
    keys End shift+Home # the name the dialog suggests, replaced by a path into the data folder
    type_text "C:\\users\\$windows_user\\Documents\\MERLOX2\\grupo.xlsx"
    keys Return
    wait_file "$documents/grupo.xlsx" 30 || fail "$label: «Exportar a Excel…» wrote no grupo.xlsx in $documents"
    sleep 1
    front_window "MERLOX2 REPORTES — MERLOX2" 30
    reports_letters "$label" "$documents" "$windows_user"
    front_window "MERLOX2 REPORTES — MERLOX2" 30
    keys alt+F4
    for _ in $(seq 120); do
        kill -0 "$reports" 2>/dev/null || break
        sleep 0.25
    done
    kill -0 "$reports" 2>/dev/null && fail "$label: the reports window did not end when it was closed"
    wait "$reports" || fail "$label: the reports window ended with status $? (log: $work/$label.log)"
    /usr/bin/python3 - "$documents/grupo.xlsx" "${STUDENT[@]}" "$SECOND_STUDENT" <<'PYTHON' ||
import sys, openpyxl
path, name, age, endurance, speed, pushups, situps, squats, second = sys.argv[1:]
sheet = openpyxl.load_workbook(path)["1º grado"]
rows = [[cell.value for cell in row] for row in sheet.iter_rows()]
expected = [[1, name, int(age), float(endurance), float(speed.replace(",", ".")), int(pushups), int(situps),
             int(squats), "H"], [2, second, None, None, None, None, None, None]]
ok = len(rows) == 3 and rows[0][:2] == ["No.", "Nombre"]
for want, got in zip(expected, rows[1:]):
    for column, (w, g) in enumerate(zip(want, got)):
        if w != g or type(w) is not type(g):
            print(f"row {want[0]}, column {rows[0][column]}: {g!r} instead of {w!r}", file=sys.stderr)
            ok = False
print(f"{len(rows) - 1} students in the workbook: {[row[1] for row in rows[1:]]}", file=sys.stderr)
sys.exit(0 if ok else 1)
PYTHON
        fail "$label: the workbook does not hold the students typed ($documents/grupo.xlsx)"
    echo "$label: the workbook holds the students typed, cell by cell."
}

# «Cartas de todo el grado…» (Ctrl+Mayús+L) saved as one PDF through the system's save dialog: one page, for
# the one student with a sex and every result (the second has only a name), his accented name drawn as text.
reports_letters() {
    local label="$1" documents="$2" windows_user="$3"
    echo "==> $label: the letters home of the grade saved as PDF"
    keys ctrl+shift+l
    front_window "MERLOX2 REPORTES" 30
    keys alt+g # «Guardar en PDF…»
    front_window "Guardar las cartas en PDF" 30
    keys End shift+Home
    type_text "C:\\users\\$windows_user\\Documents\\MERLOX2\\cartas.pdf"
    keys Return
    wait_file "$documents/cartas.pdf" 30 || fail "$label: «Cartas de todo el grado…» wrote no cartas.pdf"
    sleep 1
    local pages text
    pages="$(pdfinfo "$documents/cartas.pdf" | awk '/^Pages:/ {print $2}')"
    [[ $pages == 1 ]] || fail "$label: the letters' PDF has ${pages:-no} pages instead of 1"
    text="$(pdftotext -layout "$documents/cartas.pdf" -)"
    grep -qF "${STUDENT[0]}" <<<"$text" || fail "$label: the letter does not name ${STUDENT[0]}"
    grep -qF "Organización Mundial de la Salud" <<<"$text" || fail "$label: the letter lacks its activity paragraph"
    echo "$label: one letter, for ${STUDENT[0]}."
}

session linux "$work/linux" "" env QT_QPA_PLATFORM=xcb "$linux_program"
check_page linux

echo "==> preparing a Wine prefix of the test's own"
timeout 300 wineboot --init >"$work/wineboot.log" 2>&1 ||
    fail "Wine did not make its prefix within 5 minutes (log: $work/wineboot.log)"
timeout 120 wineserver --wait || fail "Wine's server did not end within 2 minutes after making the prefix"
[[ -n $shots ]] && mkdir -p "$shots"
# Wine's keys are slower to arrive: a longer pause between them.
PAUSE=0.5 session windows "$work/windows" "${shots:+$shots/windows}" wine "$windows_program"
check_page windows
reports_export windows-reports "$work/windows" "$windows_program"
# Again at 144 dpi, as on a laptop set to 150 %: on this 800 x 600 screen the title screen and the worksheet
# are drawn smaller, and the session and its results must be the same.
timeout 120 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
    >"$work/wine-dpi.log" 2>&1 || fail "Wine did not take 144 dpi (log: $work/wine-dpi.log)"
timeout 120 wineserver --wait || fail "Wine's server did not end within 2 minutes after setting 144 dpi"
PAUSE=0.5 session windows-144dpi "$work/windows-144dpi" "" wine "$windows_program"
check_page windows-144dpi

linux_file="$work/linux/secundaria1.dat"
windows_file="$work/windows/secundaria1.dat"
[[ $(stat -c %s "$linux_file") == 3900 ]] || fail "the Linux grade file is not 3,900 bytes"
compare_pages windows
compare_pages windows-144dpi
cmp "$linux_file" "$windows_file" || fail "the grade file written on Windows differs from the Linux one"
cmp "$linux_file" "$work/windows-144dpi/secundaria1.dat" ||
    fail "the grade file written on Windows at 144 dpi differs from the Linux one"
# The name, in Windows-1252, at the start of the first record.
expected_name="$(printf '%s' "${STUDENT[0]}" | iconv -f UTF-8 -t WINDOWS-1252 | od -An -tx1 | tr -d ' \n')"
actual_name="$(head -c "$(printf '%s' "${STUDENT[0]}" | iconv -f UTF-8 -t WINDOWS-1252 | wc -c)" "$windows_file" \
    | od -An -tx1 | tr -d ' \n')"
[[ $expected_name == "$actual_name" ]] || fail "the first record does not start with the student's name"
echo "The grade file written on Windows is byte for byte the Linux one (3,900 bytes), the student included."
# The prefix is large (about 700 MB); after a failure it stays for a look.
wineserver -k 2>/dev/null || true
wineserver --wait 2>/dev/null || true
rm -rf "$WINEPREFIX"
