# The search dialog that opens at start-up: a typed argument and Enter show only its hits, with the
# argument in the window title; a text found nowhere says so and shows the whole agenda.
source "$(dirname "$0")/lib.sh" "$1"

install_program
start_program
wait_window '^Rubrello - Argomento$' >/dev/null
kill -9 "$PID"; wait "$PID" 2>/dev/null || true; PID=
sql "insert into PhoneList (LastName, FirstName) values ('Rossi', 'Mario'), ('Bianchi', 'Anna'), ('rossini', 'Ugo')"

start_program
dialog=$(wait_window '^Rubrello - Argomento$')
type_text "$dialog" "rossi"
keys "$dialog" Return
main=$(wait_window '^Rubrello - \( ROSSI \)$')

keys "$main" F3
dialog=$(wait_window '^Rubrello - Argomento$')
keys "$dialog" ctrl+a BackSpace
type_text "$dialog" "introvabile"
keys "$dialog" Return
box=$(wait_window '^Rubrello 2000$')
keys "$box" Return
wait_title "$main" "Rubrello - Tutta l'agenda"
keys "$main" alt+u
wait_exit || fail "the program ended with an error"
echo "e2e_search: passed"
