# Helpers for the end-to-end tests: a fresh copy of the program in a temporary folder (made on
# sourcing), started in the X server the test runs in, and found and driven with xdotool.
set -euo pipefail

BUILD_DIR=$1
WORK=$(mktemp -d)
export HOME=$WORK/home XDG_DATA_HOME=$WORK/home/.local/share XDG_CONFIG_HOME=$WORK/home/.config
APP_DIR=$WORK/app
mkdir -p "$HOME" "$APP_DIR"
PID=
# The store, in the user's data folder (test_start_and_exit checks that it is made there).
STORE=$XDG_DATA_HOME/Rubrello/rubrello/Rubrello.MDB
SEARCH='^Rubrello - Argomento$'
BOX='^Rubrello 2000$'

# Accented letters get keys of their own. Otherwise xdotool borrows a spare key for each and gives
# it back at once, and a slow program (a sanitizer build) then reads a key with nothing on it.
if [[ -n "${DISPLAY:-}" ]] && command -v xmodmap >/dev/null; then
    xmodmap -e "keycode 250 = agrave Agrave" -e "keycode 251 = egrave Egrave" -e "keycode 252 = eacute Eacute" \
        -e "keycode 253 = igrave Igrave" -e "keycode 254 = ograve Ograve" -e "keycode 255 = ugrave Ugrave"
fi

cleanup() {
    [[ -z "$PID" ]] || kill -9 "$PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [[ -z "${DISPLAY:-}" ]] || import -window root "$BUILD_DIR/e2e-failure-$(basename "$0" .sh).png" 2>/dev/null || true
    exit 1
}

# Copies the program and the files that go with it into a folder of its own, as an installation.
install_program() {
    for file in rubrello rubrello-dialer Rubrello.html; do
        [[ ! -e "$BUILD_DIR/$file" ]] || cp "$BUILD_DIR/$file" "$APP_DIR/"
    done
}

start_program() { (cd / && exec "$APP_DIR/rubrello") >"$WORK/program.log" 2>&1 & PID=$!; }

# Runs the command until it succeeds, for ten seconds at most.
poll() {
    for _ in $(seq 1 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Waits for a window whose title matches the pattern and prints its id.
wait_window() {
    poll xdotool search --onlyvisible --name "$1" >"$WORK/found" 2>/dev/null \
        || fail "no window matching '$1'; program said: $(cat "$WORK/program.log")"
    head -n 1 "$WORK/found"
}

no_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
wait_gone() { poll no_window "$1" || fail "window '$1' is still there"; }

# Waits for the program to end, which it must do without an error; leave ends it with Alt+U.
ended() { ! kill -0 "$PID" 2>/dev/null; }
wait_exit() {
    poll ended || fail "the program did not end"
    wait "$PID" || fail "the program ended with status $?"
    PID=
}
leave() { keys "$1" alt+u; wait_exit; }

# Gives the window the keyboard (there is no window manager to do it) and types keys or text into it.
keys() {
    xdotool windowfocus --sync "$1"
    xdotool key --delay 60 "${@:2}"
}
type_text() {
    xdotool windowfocus --sync "$1"
    xdotool type --delay 40 "${@:2}"
}

# Moves the mouse to a point of the window's client area (below the menu bar), in the design's
# pixels, and does there what the further arguments say (xdotool commands); click_client clicks.
move_client() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove --window "$1" "$2" "$(($3 + HEIGHT - 446))" "${@:4}"
}
click_client() { move_client "$@" click 1; }

# The program opens with the search dialog; Escape in it shows the whole agenda.
start_with_whole_agenda() {
    start_program
    keys "$(wait_window "$SEARCH")" Escape
    wait_gone "$SEARCH"
    MAIN=$(wait_window "^Rubrello - Tutta l'agenda$")
}

# Answers the program's message box with Enter once it is there, and waits until it has gone.
answer_box() {
    keys "$(wait_window "$BOX")" Return
    wait_gone "$BOX"
}

# The card's address as Ctrl+C copies it (the confirmation answered), to read what the card shows.
copy_card() {
    keys "$MAIN" ctrl+c
    wait_window "$BOX" >/dev/null
    xclip -o -selection clipboard 2>/dev/null || true
    answer_box
}

# A store made by a first run that is killed at its search dialog, then filled with the rows given.
store_with() {
    start_program
    wait_window "$SEARCH" >/dev/null
    kill -9 "$PID"
    wait "$PID" 2>/dev/null || true
    PID=
    sql "insert into PhoneList $1"
}

sql() { sqlite3 "$STORE" "$@"; }

install_program
