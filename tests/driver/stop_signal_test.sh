#!/bin/sh
# SIGTERM, and Ctrl+C (SIGINT to the whole process group, as a terminal
# sends it), while the first question is open: the program ends with the
# status of a cancelled start-up (255) and one line on standard error, and
# the dialog goes with it. The dialog is a stand-in for zenity, the helper
# SDL runs for its message boxes, that stays open until it is killed.
# Usage: stop_signal_test.sh VORN DATA_DIR
set -u
vorn=$1
data=$2
if [ -z "${INSIDE_XVFB:-}" ]; then
    command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is not installed"; exit 77; }
    INSIDE_XVFB=1 exec xvfb-run -a sh "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\necho $$ > "%s/dialog.pid"\nexec sleep 300\n' "$work" > "$work/bin/zenity"
chmod +x "$work/bin/zenity"

gone() { # the process has ended (a zombie nobody reaps counts as ended)
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || true)
    [ -z "$state" ] || [ "$state" = Z ]
}

failed=0
for signal in TERM INT; do
    rm -f "$work/dialog.pid"
    PATH="$work/bin:$PATH" setsid "$vorn" --data "$data" >"$work/out" 2>"$work/err" &
    pid=$!
    waited=0
    while [ ! -s "$work/dialog.pid" ]; do
        waited=$((waited + 1))
        if [ $waited -gt 300 ]; then
            echo "SIG$signal: no dialog appeared"; kill -KILL "$pid"; failed=1; continue 2
        fi
        sleep 0.1
    done
    dialog=$(cat "$work/dialog.pid")
    (sleep 30 && kill -KILL "$pid" "$dialog" 2>/dev/null) & # should the signal not work
    watchdog=$!
    if [ $signal = INT ]; then kill -INT "-$pid"; else kill -TERM "$pid"; fi
    wait "$pid"
    status=$?
    kill "$watchdog" 2>/dev/null
    sleep 0.5
    if [ $status -ne 255 ]; then echo "SIG$signal: status $status, not 255"; failed=1; fi
    if ! grep -q "before the show started" "$work/err"; then
        echo "SIG$signal: standard error was:"; cat "$work/err"; failed=1
    fi
    if ! gone "$dialog"; then echo "SIG$signal: the dialog is still open"; kill -KILL "$dialog"; failed=1; fi
done
[ $failed -eq 0 ] && echo "both signals ended the program and its dialog"
exit $failed
