#!/bin/sh
# SIGTERM, and Ctrl+C (SIGINT to the whole process group, as a terminal
# sends it), while the first question is open: the program ends with the
# status of a cancelled start-up (255) and one line on standard error, and
# the dialog goes with it. The dialog is a stand-in for zenity, the helper
# SDL runs for its message boxes, that stays open until it is killed. Once
# the show's window is open, SIGTERM ends the show as a key does: status 0.
# Usage: stop_signal_test.sh VORN DATA_DIR
set -u
vorn=$1
data=$2
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed"; exit 77; }

# An X server of our own on a display number it picks itself (-displayfd),
# so that tests running side by side cannot take each other's.
# -noreset: no pause for a reset when the last client goes.
work=$(mktemp -d)
Xvfb -displayfd 9 -nolisten tcp -noreset -screen 0 800x600x24 9>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
waited=0
until [ -s "$work/display" ]; do
    waited=$((waited + 1))
    [ $waited -gt 100 ] && { echo "Xvfb did not start"; exit 1; }
    sleep 0.1
done
DISPLAY=:$(cat "$work/display")
export DISPLAY
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
# The show running (its window found with xwininfo): ends as after a key.
if command -v xwininfo >/dev/null 2>&1; then
    SDL_AUDIODRIVER=dummy "$vorn" --auto-sound --windowed --data "$data" >/dev/null 2>"$work/err" &
    pid=$!
    waited=0
    until xwininfo -root -tree 2>/dev/null | grep -q '"Vorn"'; do
        waited=$((waited + 1))
        if [ $waited -gt 600 ]; then echo "no window appeared"; failed=1; break; fi
        sleep 0.1
    done
    (sleep 30 && kill -KILL "$pid" 2>/dev/null) &
    watchdog=$!
    kill -TERM "$pid"
    wait "$pid"
    status=$?
    kill "$watchdog" 2>/dev/null
    if [ $status -ne 0 ]; then echo "SIGTERM during the show: status $status, not 0"; cat "$work/err"; failed=1; fi
fi
[ $failed -eq 0 ] && echo "both signals ended the program and its dialog; SIGTERM ended the show"
exit $failed
