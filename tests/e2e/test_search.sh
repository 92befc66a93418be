# The search dialog that opens at start-up: a typed argument and Enter show only its hits, with the
# argument in the window title; a text found nowhere says so and shows the whole agenda.
source "$(dirname "$0")/lib.sh" "$1"

store_with "(LastName, FirstName) values ('Rossi', 'Mario'), ('Bianchi', 'Anna'), ('rossini', 'Ugo')"
start_program
type_text "$(wait_window "$SEARCH")" "rossi"
keys "$(wait_window "$SEARCH")" Return
main=$(wait_window '^Rubrello - \( ROSSI \)$')

keys "$main" F3
dialog=$(wait_window "$SEARCH")
keys "$dialog" ctrl+a BackSpace
type_text "$dialog" "introvabile"
keys "$dialog" Return
answer_box
wait_window "^Rubrello - Tutta l'agenda$" >/dev/null
leave "$main"
