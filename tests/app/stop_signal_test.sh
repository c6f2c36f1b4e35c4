#!/bin/sh
# SIGTERM, and Ctrl+C (SIGINT to the whole process group, as a terminal
# sends it), while the first question is open: the program ends with the
# status of a cancelled start-up (255) and one line on standard error, and
# the dialog goes with it, both where SDL draws its own message box (an X
# server with fonts) and where it runs zenity (one without). Once the show's
# window is open, SIGTERM ends the show as a key does: status 0.
# Usage: stop_signal_test.sh VORN DATA_DIR
set -u
vorn=$1
data=$2
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed"; exit 77; }

work=$(mktemp -d)
xvfb=
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\nexec sleep 300\n' > "$work/bin/zenity"
chmod +x "$work/bin/zenity"

# An X server of our own on a display number it picks itself (-displayfd),
# so that tests running side by side cannot take each other's; extra
# arguments go to it. -noreset: no pause for a reset when the last client goes.
start_x() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -f "$work/display"
    Xvfb -displayfd 9 -nolisten tcp -noreset -screen 0 800x600x24 "$@" 9>"$work/display" 2>/dev/null &
    xvfb=$!
    waited=0
    until [ -s "$work/display" ]; do
        waited=$((waited + 1))
        [ $waited -gt 100 ] && { echo "Xvfb did not start"; exit 1; }
        sleep 0.1
    done
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
}

gone() { # the process has ended (a zombie nobody reaps counts as ended)
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || true)
    [ -z "$state" ] || [ "$state" = Z ]
}

# The children of process $1 (a dialog: SDL's own box, forked, or zenity).
# Waits until process $1 has ended; after 30 s kills it (and $2) instead.
# (A watchdog in the background would leave a sleep running that dash's
# next command substitution waits for.)
end_within_30s() {
    waited=0
    until gone "$1"; do
        waited=$((waited + 1))
        if [ $waited -gt 300 ]; then
            echo "process $1 did not end within 30 s"
            kill -KILL "$@" 2>/dev/null
            failed=1
            return
        fi
        sleep 0.1
    done
}

children() { # one awk over every process's stat file, not one awk each
    awk -v parent="$1" '$4 == parent { print $1 }' /proc/[0-9]*/stat 2>/dev/null
}

failed=0
# SDL draws its own message box where the X server has its fonts; where it
# has none (only the built-in ones) it runs zenity, here a stand-in that
# stays open until it is killed. Either way the dialog is a child process.
for way in "own box" "zenity"; do
    if [ "$way" = "own box" ]; then start_x; else start_x -fp built-ins; fi
    for signal in TERM INT; do
        PATH="$work/bin:$PATH" setsid "$vorn" --data "$data" >"$work/out" 2>"$work/err" &
        pid=$!
        waited=0
        dialog=
        while [ -z "$dialog" ]; do
            dialog=$(children "$pid" | head -n 1)
            waited=$((waited + 1))
            if [ $waited -gt 300 ] || gone "$pid"; then
                echo "$way, SIG$signal: no dialog appeared"; cat "$work/err"
                kill -KILL "$pid" 2>/dev/null; failed=1; continue 2
            fi
            [ -z "$dialog" ] && sleep 0.1
        done
        sleep 0.3 # the dialog on screen
        shown_by=$(cat "/proc/$dialog/comm" 2>/dev/null)
        if [ "$way" = "own box" ] && [ "$shown_by" != "$(cat "/proc/$pid/comm")" ]; then
            echo "own box, SIG$signal: SDL ran $shown_by instead (are the X fonts, xfonts-base, installed?)"
            failed=1
        fi
        if [ "$way" = "zenity" ] && [ "$shown_by" != "sleep" ]; then
            echo "zenity, SIG$signal: the dialog was $shown_by, not the zenity stand-in"; failed=1
        fi
        if [ $signal = INT ]; then kill -INT "-$pid"; else kill -TERM "$pid"; fi
        end_within_30s "$pid" "$dialog"
        wait "$pid"
        status=$?
        sleep 0.5
        if [ $status -ne 255 ]; then echo "$way, SIG$signal: status $status, not 255"; failed=1; fi
        if ! grep -q "before the show started" "$work/err"; then
            echo "$way, SIG$signal: standard error was:"; cat "$work/err"; failed=1
        fi
        if ! gone "$dialog"; then
            echo "$way, SIG$signal: the dialog is still open"; kill -KILL "$dialog"; failed=1
        fi
    done
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
    kill -TERM "$pid"
    end_within_30s "$pid"
    wait "$pid"
    status=$?
    if [ $status -ne 0 ]; then echo "SIGTERM during the show: status $status, not 0"; cat "$work/err"; failed=1; fi
fi
[ $failed -eq 0 ] && echo "both signals ended the program and its dialog; SIGTERM ended the show"
exit $failed
