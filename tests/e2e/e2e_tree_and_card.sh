# Choosing a contact in the index tree shows it on the card: the tree is clicked and walked with
# the keyboard, and the card's address is copied to the clipboard to read what it shows.
source "$(dirname "$0")/lib.sh" "$1"

install_program
start_program
dialog=$(wait_window '^Rubrello - Argomento$')
kill -9 "$PID"; wait "$PID" 2>/dev/null || true; PID=
sql "insert into PhoneList (LastName, FirstName, WorkAddress, WorkCity, WorkProv, WorkPostalCode, Azienda)
     values ('Rossi', 'Mario', 'Via Roma 1', 'Bologna', 'BO', '40100', 'Rossi Srl'),
            ('Bianchi', 'Anna', 'Via Po 2', 'Forlì', 'FC', '47121', 'Studio Bianchi'),
            ('Verdi', 'Luca', 'Corso Italia 3', 'Milano', 'MI', '20100', 'Verdi SpA')"
start_with_whole_agenda

# A click on the first line of the tree gives it the keyboard; "v" goes to the letter V,
# Enter opens it and Down chooses its first contact.
click_client "$MAIN" 60 80
keys "$MAIN" v Return Down
sleep 0.5
keys "$MAIN" ctrl+c
box=$(wait_window '^Rubrello 2000$')
copied=$(clipboard)
[[ "$copied" == *"Verdi Luca"* && "$copied" == *"Corso Italia 3"* ]] || fail "the card shows: $copied"
keys "$box" Return
wait_gone '^Rubrello 2000$'
keys "$MAIN" alt+u
wait_exit || fail "the program ended with an error"
echo "e2e_tree_and_card: passed"
