# A contact typed in with the keyboard alone (Ctrl+N, typing with accented letters, Tab, Ctrl+A,
# Enter on the question) is in the store file afterwards.
source "$(dirname "$0")/lib.sh" "$1"

start_with_whole_agenda
keys "$MAIN" ctrl+n
type_text "$MAIN" "D'Amico"
keys "$MAIN" Tab
type_text "$MAIN" "Nicolò"
keys "$MAIN" Tab
type_text "$MAIN" "Trattoria Nicolò"
keys "$MAIN" ctrl+a
answer_box
leave "$MAIN"
row=$(sql "select LastName || '|' || FirstName || '|' || Azienda from PhoneList")
[[ "$row" == "D'Amico|Nicolò|Trattoria Nicolò" ]] || fail "the store holds '$row'"
