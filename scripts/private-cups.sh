#!/usr/bin/env bash
# A CUPS daemon of our own for the printing tests, so that they never touch the machine's print system:
# its configuration, spool, logs and output live in one temporary folder, it listens only on a socket in
# that folder, and its one queue, the default, writes every job to a file there. The machine's CUPS, its
# queues and default printer, and the user's own defaults are left alone.
#
#     scripts/private-cups.sh COMMAND...     runs one command against it, then stops it, e.g.
#     scripts/private-cups.sh ctest --test-dir build -R Printing --output-on-failure
#
#     source scripts/private-cups.sh; merlox2_cups_start; ...; merlox2_cups_stop     (as test.sh does)
#
# While it runs, these are exported (the printing tests rely on them):
#   CUPS_SERVER                 the daemon's socket
#   MERLOX2_TEST_PRINT_QUEUE    the name of its one queue, which is its default destination
#   LPDEST                      that queue too, and PRINTER is unset: a default printer named in the
#                               user's ~/.cups/lpoptions or /etc/cups/lpoptions would otherwise win, and
#                               as the private daemon does not know it, leave no default at all
#   MERLOX2_TEST_PRINT_OUTPUT   the file that queue writes each job to, replaced by every job: a PDF, as
#                               the queue's driver passes PDF through (cups-filters' pdftopdf)
#   MERLOX2_TEST_CUPS_PID       the daemon's process, which a test may stop and continue to make the
#                               server fall silent in the middle of a job
# A job that fails is aborted, and the queue stays enabled for the next one.
# It runs as whoever starts it: as root (its filters then run as the user lp), or as an ordinary user,
# without sudo. It needs cupsd, lpstat and lpadmin (cups-daemon, cups-client) and cups-filters.

MERLOX2_CUPS_DIR=""
MERLOX2_CUPS_PID=""

merlox2_cups_fail() {
    echo "error: private CUPS daemon: $*" >&2
    if [[ -n $MERLOX2_CUPS_DIR && -s $MERLOX2_CUPS_DIR/log/error_log ]]; then
        echo "Its last log lines ($MERLOX2_CUPS_DIR/log/error_log):" >&2
        grep -v 'No .*Private.* defined in policy' "$MERLOX2_CUPS_DIR/log/error_log" | tail -n 15 >&2
    fi
    merlox2_cups_stop
    return 1
}

# Everything is read under LC_ALL=C: the tools' messages are translated.
merlox2_cups_running() {
    [[ "$(LC_ALL=C CUPS_SERVER="$1" lpstat -r 2>/dev/null)" == "scheduler is running" ]]
}

merlox2_cups_start() {
    local cupsd lpadmin queue=merlox2-pdf user group system_group
    # /usr/sbin is often not on an ordinary user's PATH.
    cupsd="$(PATH="$PATH:/usr/sbin:/sbin" command -v cupsd)" || {
        merlox2_cups_fail "cupsd is not installed (package cups-daemon)"
        return 1
    }
    lpadmin="$(PATH="$PATH:/usr/sbin:/sbin" command -v lpadmin)" || {
        merlox2_cups_fail "lpadmin is not installed (package cups-client)"
        return 1
    }
    command -v lpstat >/dev/null || { merlox2_cups_fail "lpstat is not installed (package cups-client)"; return 1; }
    [[ -x /usr/lib/cups/filter/pdftopdf ]] || {
        merlox2_cups_fail "its PDF filter pdftopdf is missing (package cups-filters)"
        return 1
    }

    MERLOX2_CUPS_DIR="$(mktemp -d "${TMPDIR:-/tmp}/merlox2-cups.XXXXXX")" || {
        merlox2_cups_fail "could not create its temporary folder"
        return 1
    }
    local dir="$MERLOX2_CUPS_DIR" socket="$MERLOX2_CUPS_DIR/cups.sock"
    # A Unix socket's path is limited to 107 bytes.
    if ((${#socket} > 100)); then
        merlox2_cups_fail "the socket path $socket is too long; set TMPDIR to a shorter folder"
        return 1
    fi
    # As root, cupsd runs the filters as lp, which must reach the spool and the driver in here.
    chmod 755 "$dir"
    mkdir -p "$dir"/{conf,spool/tmp,cache,state,log,out}
    if [[ $EUID -eq 0 ]]; then
        user=lp group=lp system_group=root
    else
        user="$(id -un)" group="$(id -gn)" system_group="$(id -gn)"
    fi

    cat >"$dir/conf/cups-files.conf" <<EOF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
FileDevice Yes
User $user
Group $group
SystemGroup $system_group
EOF
    # No network, no browsing, no authentication: only this socket, and only our own processes reach it.
    cat >"$dir/conf/cupsd.conf" <<EOF
Listen $socket
Browsing No
WebInterface No
LogLevel warn
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

    # The driver: PDF in, PDF out, Letter and A4. Smaller than cups-filters' generic PDF printer, whose
    # PJL commands would come before the PDF, and whose duplex option makes libcups 2.4.2 leak in every
    # client that reads it.
    cat >"$dir/conf/merlox2-pdf.ppd" <<'EOF'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "MERLOX2.PPD"
*Manufacturer: "MERLOX2"
*Product: "(MERLOX2 test printer)"
*ModelName: "MERLOX2 test PDF printer"
*ShortNickName: "MERLOX2 test PDF printer"
*NickName: "MERLOX2 test PDF printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Page Region: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea Letter/Letter: "18 36 594 756"
*ImageableArea A4/A4: "18 36 577 806"
*DefaultPaperDimension: Letter
*PaperDimension Letter/Letter: "612 792"
*PaperDimension A4/A4: "595 842"
EOF

    # In the foreground of a background job, so that $! is the daemon; it also ends should this shell be
    # killed outright, where no trap runs.
    local deathsig=()
    command -v setpriv >/dev/null && deathsig=(setpriv --pdeathsig TERM --)
    "${deathsig[@]}" "$cupsd" -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
        </dev/null >>"$dir/log/cupsd.out" 2>&1 &
    MERLOX2_CUPS_PID=$!
    local waited=0
    until merlox2_cups_running "$socket"; do
        if ! kill -0 "$MERLOX2_CUPS_PID" 2>/dev/null; then
            cat "$dir/log/cupsd.out" >&2 2>/dev/null || true
            MERLOX2_CUPS_PID=""
            merlox2_cups_fail "cupsd stopped right after starting"
            return 1
        fi
        if ((waited++ >= 120)); then
            merlox2_cups_fail "cupsd did not answer on $socket within 30 s"
            return 1
        fi
        sleep 0.25
    done

    local output
    if ! output="$(LC_ALL=C CUPS_SERVER="$socket" "$lpadmin" -p "$queue" -v "file://$dir/out/page.pdf" \
                       -P "$dir/conf/merlox2-pdf.ppd" -o printer-error-policy=abort-job -E 2>&1)"; then
        echo "$output" >&2
        merlox2_cups_fail "could not create its queue $queue"
        return 1
    fi
    if ! output="$(LC_ALL=C CUPS_SERVER="$socket" "$lpadmin" -d "$queue" 2>&1)"; then
        echo "$output" >&2
        merlox2_cups_fail "could not make $queue its default destination"
        return 1
    fi

    export CUPS_SERVER="$socket"
    export MERLOX2_TEST_PRINT_QUEUE="$queue"
    export MERLOX2_TEST_PRINT_OUTPUT="$dir/out/page.pdf"
    export MERLOX2_TEST_CUPS_PID="$MERLOX2_CUPS_PID"
    export LPDEST="$queue"
    unset PRINTER
    echo "Private CUPS daemon (pid $MERLOX2_CUPS_PID) on $CUPS_SERVER; queue $queue writes $MERLOX2_TEST_PRINT_OUTPUT"
}

# Stops the daemon and removes its folder; does nothing when none was started. Safe to call twice.
merlox2_cups_stop() {
    if [[ -n $MERLOX2_CUPS_PID ]]; then
        kill "$MERLOX2_CUPS_PID" 2>/dev/null || true
        # A test that stopped it and then crashed left it stopped: it takes the signal once continued.
        kill -CONT "$MERLOX2_CUPS_PID" 2>/dev/null || true
        local waited=0
        while kill -0 "$MERLOX2_CUPS_PID" 2>/dev/null && ((waited++ < 40)); do
            sleep 0.25
        done
        kill -KILL "$MERLOX2_CUPS_PID" 2>/dev/null || true
        wait "$MERLOX2_CUPS_PID" 2>/dev/null || true
        MERLOX2_CUPS_PID=""
    fi
    if [[ -n $MERLOX2_CUPS_DIR ]]; then
        rm -rf "$MERLOX2_CUPS_DIR"
        MERLOX2_CUPS_DIR=""
    fi
    if [[ ${CUPS_SERVER:-} == */merlox2-cups.*/cups.sock ]]; then
        unset CUPS_SERVER LPDEST MERLOX2_TEST_PRINT_QUEUE MERLOX2_TEST_PRINT_OUTPUT MERLOX2_TEST_CUPS_PID
    fi
}

# Run as a command: start, run the given command, stop, also on Ctrl-C.
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    set -euo pipefail
    if [[ $# -eq 0 ]]; then
        echo "usage: $0 COMMAND [ARGUMENT...]   (runs the command against a private CUPS daemon)" >&2
        exit 2
    fi
    trap merlox2_cups_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    merlox2_cups_start
    status=0
    "$@" || status=$?
    exit "$status"
fi
