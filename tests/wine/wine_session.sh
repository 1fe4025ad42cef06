# Shared set-up of the Wine tests, sourced by their scripts: the 64-bit Wine
# loader, a scratch folder removed on exit, fresh prefixes, and an X server
# for the tests that show windows.
#
#   wine_session NAME        checks the loader, makes $work, exports the Wine
#                            settings and installs the exit clean-up
#   start_xvfb FIRST LAST    starts Xvfb on a free display in FIRST..LAST and
#                            exports DISPLAY
#   boot_prefix DIR          makes a fresh prefix in DIR and exports WINEPREFIX
#   host_report STATUS       after a host program wrote $work/host.out and
#                            $work/host.err and ended with STATUS: shows its
#                            report ($work/report.txt, without CRs), fails
#                            when the host did
#   expect LINE              fails unless the report has exactly that line
#
# A script that must do more on exit (wait for a program it started) defines
# a function wine_session_before_exit; it runs before the Wine server stops.

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
xvfb_pid=""

fail() {
    echo "FAIL: $*"
    exit 1
}

# Runs to its end whatever fails on the way, also in a script that uses
# set -e: the killed X server's status, for one, is not a failure.
wine_session_cleanup() {
    if declare -F wine_session_before_exit >/dev/null; then wine_session_before_exit || true; fi
    if [ -n "${WINEPREFIX:-}" ] && [ -x "$wineserver" ]; then "$wineserver" -k >/dev/null 2>&1 || true; fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}

wine_session() {
    [ -x "$wine" ] || fail "$wine is missing: install the 64-bit Wine loader (apt-get install -y wine64)"
    work="$(mktemp -d "${TMPDIR:-/tmp}/kvt-$1.XXXXXX")"
    export WINEDEBUG=-all
    # No Mono or Gecko: nothing here needs them, and their installers would ask.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY
    trap wine_session_cleanup EXIT
}

# A free display is one whose lock file and socket do not exist.
start_xvfb() {
    command -v Xvfb >/dev/null || fail "Xvfb is missing (apt-get install -y xvfb)"
    local n display=""
    for n in $(seq "$1" "$2"); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            display=$n
            break
        fi
    done
    [ -n "$display" ] || fail "no free X display between :$1 and :$2"
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    [ -e "/tmp/.X11-unix/X$display" ] || fail "Xvfb did not start on :$display"
    export DISPLAY=":$display"
}

# The 64-bit-only prefix warns that syswow64\rundll32.exe cannot start; harmless.
boot_prefix() {
    export WINEPREFIX="$1"
    if ! "$wine" wineboot -i >"$1.wineboot.log" 2>&1; then
        cat "$1.wineboot.log"
        fail "wineboot could not make the prefix"
    fi
}

host_report() {
    tr -d '\r' <"$work/host.out" >"$work/report.txt"
    cat "$work/report.txt"
    [ "$1" -eq 0 ] || { cat "$work/host.err"; fail "the host exited with $1"; }
}

expect() {
    grep -qxF -- "$1" "$work/report.txt" || fail "the report lacks the line: $1"
}
