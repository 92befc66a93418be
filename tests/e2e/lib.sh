# Helpers for the end-to-end tests: a fresh copy of the program in a temporary folder, started in
# the X server the test runs in, and found and driven with xdotool.
set -euo pipefail

BUILD_DIR=$1
WORK=$(mktemp -d)
export HOME=$WORK/home XDG_DATA_HOME=$WORK/home/.local/share XDG_CONFIG_HOME=$WORK/home/.config
mkdir -p "$HOME"
APP_DIR=$WORK/app
PID=

# Accented letters get keys of their own. Otherwise xdotool borrows a spare key for each and gives
# it back at once, and a slow program (a sanitizer build) then reads a key with nothing on it.
if [[ -n "${DISPLAY:-}" ]] && command -v xmodmap >/dev/null; then
    xmodmap -e "keycode 250 = agrave Agrave" -e "keycode 251 = egrave Egrave" -e "keycode 252 = eacute Eacute" \
        -e "keycode 253 = igrave Igrave" -e "keycode 254 = ograve Ograve" -e "keycode 255 = ugrave Ugrave"
fi

cleanup() {
    if [[ -n "$PID" ]] && kill -0 "$PID" 2>/dev/null; then
        kill -9 "$PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [[ -n "${DISPLAY:-}" ]]; then
        import -window root "$BUILD_DIR/e2e-failure-$(basename "$0" .sh).png" 2>/dev/null || true
    fi
    exit 1
}

# Copies the program and the files that go with it into a folder of its own, as an installation.
install_program() {
    mkdir -p "$APP_DIR"
    cp "$BUILD_DIR/rubrello" "$APP_DIR/"
    for extra in rubrello-dialer Rubrello.html; do
        [[ -e "$BUILD_DIR/$extra" ]] && cp "$BUILD_DIR/$extra" "$APP_DIR/"
    done
    return 0
}

start_program() {
    (cd / && exec "$APP_DIR/rubrello") >"$WORK/program.log" 2>&1 &
    PID=$!
}

# Waits for a window whose title matches the pattern and prints its id.
wait_window() {
    local pattern=$1 id
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
        if [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window matching '$pattern'; program said: $(cat "$WORK/program.log")"
}

# Gives the window the keyboard (there is no window manager to do it) and types keys into it.
keys() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id"
    xdotool key --delay 60 "$@"
}

type_text() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id"
    xdotool type --delay 40 "$@"
}

# Clicks at a point of the main window's client area (below the menu bar), in the design's pixels.
click_client() {
    local id=$1 x=$2 y=$3 height menubar
    eval "$(xdotool getwindowgeometry --shell "$id")"
    menubar=$((HEIGHT - 446))
    xdotool mousemove --window "$id" "$x" "$((y + menubar))" click 1
}

# Waits until no visible window matches the pattern any more.
wait_gone() {
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$1' is still there"
}

# Waits until the window's title reads exactly the text.
wait_title() {
    local id=$1 expected=$2
    for _ in $(seq 1 100); do
        [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "$expected" ]] && return 0
        sleep 0.1
    done
    fail "title is '$(xdotool getwindowname "$id")', not '$expected'"
}

# The program opens with the search dialog; Escape in it shows the whole agenda.
start_with_whole_agenda() {
    start_program
    local dialog
    dialog=$(wait_window '^Rubrello - Argomento$')
    keys "$dialog" Escape
    wait_gone '^Rubrello - Argomento$'
    MAIN=$(wait_window "^Rubrello - Tutta l'agenda$")
}

# Answers the program's message box with Enter once it is there, and waits until it has gone.
answer_box() {
    keys "$(wait_window '^Rubrello 2000$')" Return
    wait_gone '^Rubrello 2000$'
}

# The card's address as Ctrl+C copies it (the confirmation answered), to read what the card shows.
copy_card() {
    keys "$MAIN" ctrl+c
    local box
    box=$(wait_window '^Rubrello 2000$')
    xclip -o -selection clipboard 2>/dev/null || true
    keys "$box" Return
    wait_gone '^Rubrello 2000$'
}

# A store made by a first run that is killed at its search dialog, then filled with the rows given.
store_with() {
    start_program
    wait_window '^Rubrello - Argomento$' >/dev/null
    kill -9 "$PID"
    wait "$PID" 2>/dev/null || true
    PID=
    sql "insert into PhoneList $1"
}

wait_exit() {
    for _ in $(seq 1 100); do
        if ! kill -0 "$PID" 2>/dev/null; then
            wait "$PID"
            local status=$?
            PID=
            return $status
        fi
        sleep 0.1
    done
    fail "the program did not end"
}

# The store, in the user's data folder (test_start_and_exit checks that it is made there).
STORE=$XDG_DATA_HOME/Rubrello/rubrello/Rubrello.MDB
sql() {
    sqlite3 "$STORE" "$@"
}
