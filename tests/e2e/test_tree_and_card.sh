# Choosing a contact in the index tree shows it on the card: the tree is clicked and walked with
# the keyboard, and the card's address is copied to the clipboard to read what it shows.
source "$(dirname "$0")/lib.sh" "$1"

store_with "(LastName, FirstName, WorkAddress, WorkCity)
     values ('Rossi', 'Mario', 'Via Roma 1', 'Bologna'), ('Bianchi', 'Anna', 'Via Po 2', 'Forlì'),
            ('Verdi', 'Luca', 'Corso Italia 3', 'Milano')"
start_with_whole_agenda
# A click on the first line of the tree gives it the keyboard; "v" goes to the letter V,
# Enter opens it and Down chooses its first contact.
click_client "$MAIN" 60 80
keys "$MAIN" v Return Down
sleep 0.5
copied=$(copy_card)
[[ "$copied" == *"Verdi Luca"* && "$copied" == *"Corso Italia 3"* ]] || fail "the card shows: $copied"
leave "$MAIN"
