# The search dialog that opens at start-up: a typed argument and Enter show only its hits, with the
# argument in the window title; a text found nowhere says so and shows the whole agenda.
source "$(dirname "$0")/lib.sh" "$1"

install_program
store_with "(LastName, FirstName) values ('Rossi', 'Mario'), ('Bianchi', 'Anna'), ('rossini', 'Ugo')"
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
answer_box
wait_title "$main" "Rubrello - Tutta l'agenda"
keys "$main" alt+u
wait_exit || fail "the program ended with an error"
