# Starting the program while it runs brings the running one to the front instead of opening a second
# window on the same store: first the search dialog it opens with, then its main window.
source "$(dirname "$0")/../e2e/lib.sh" "$1"

# The window is above the covering one: xwininfo lists the windows from the top down.
above_cover() {
    local id
    for id in $(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+'); do
        ((id == $1)) && return 0
        ((id == COVER)) && return 1
    done
    return 1
}

# Another program's window is raised over the whole screen and given the keyboard; a second start must
# then end at once and bring the running one's window forward. (Who gets the keyboard is the window
# manager's choice, and there is none here.)
cover_and_start_again() {
    xdotool windowraise "$COVER"
    xdotool windowfocus --sync "$COVER"
    above_cover "$1" && fail "the covering window is not on top"
    (cd / && exec timeout 20 "$APP_DIR/rubrello") >"$WORK/second.log" 2>&1 \
        || fail "the second start ended with $?: $(cat "$WORK/second.log")"
    ended && fail "the running program has gone"
    poll above_cover "$1" || fail "window $1 is still below the covering window"
}

start_program
dialog=$(wait_window "$SEARCH")
xmessage -geometry 1280x1024+0+0 -title Copertura "Un altro programma" &
COVER_PID=$!
trap 'kill "$COVER_PID" 2>/dev/null || true; cleanup' EXIT
COVER=$(wait_window '^Copertura$')
cover_and_start_again "$dialog"
(($(xdotool search --onlyvisible --name '^Rubrello' | wc -l) == 1)) || fail "a second window opened"

keys "$dialog" Escape
MAIN=$(wait_window "^Rubrello - Tutta l'agenda$")
cover_and_start_again "$MAIN"
leave "$MAIN"
