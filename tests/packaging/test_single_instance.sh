# Starting the program while it runs brings the running one to the front instead of opening a second
# window on the same store: first the search dialog it opens with, then its main window.
source "$(dirname "$0")/../e2e/lib.sh" "$1"

# Of two windows, the one higher on the screen: xwininfo lists the windows from the top down.
upper_of() {
    local id
    for id in $(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+'); do
        if ((id == $1 || id == $2)); then
            echo $((id))
            return 0
        fi
    done
}

# Another program's window over the whole screen, holding the keyboard.
cover() {
    xdotool windowraise "$COVER"
    xdotool windowfocus --sync "$COVER"
    (($(upper_of "$1" "$COVER") == COVER)) || fail "the covering window is not on top"
}

# Starts the program again: it must end at once, and the running one's window must come forward.
# (Who gets the keyboard is the window manager's choice, and there is none here.)
start_again_and_expect() {
    local window=$1 status=0
    (cd / && exec timeout 20 "$APP_DIR/rubrello") >"$WORK/second.log" 2>&1 || status=$?
    ((status == 0)) || fail "the second start ended with $status: $(cat "$WORK/second.log")"
    kill -0 "$PID" 2>/dev/null || fail "the running program has gone"
    for _ in $(seq 1 50); do
        (($(upper_of "$window" "$COVER") == window)) && return 0
        sleep 0.1
    done
    fail "window $window is still below the covering window"
}

install_program
start_program
dialog=$(wait_window '^Rubrello - Argomento$')
xmessage -geometry 1280x1024+0+0 -title Copertura "Un altro programma" &
COVER_PID=$!
trap 'kill "$COVER_PID" 2>/dev/null || true; cleanup' EXIT
COVER=$(wait_window '^Copertura$')

cover "$dialog"
start_again_and_expect "$dialog"
(($(xdotool search --onlyvisible --name '^Rubrello' | wc -l) == 1)) || fail "a second window opened"

keys "$dialog" Escape
MAIN=$(wait_window "^Rubrello - Tutta l'agenda$")
cover "$MAIN"
start_again_and_expect "$MAIN"

keys "$MAIN" alt+u
wait_exit || fail "the program ended with an error"
echo "test_single_instance: passed"
