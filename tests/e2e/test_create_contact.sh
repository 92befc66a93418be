# A contact typed in with the keyboard alone (Ctrl+N, typing with accented letters, Tab, Ctrl+A,
# Enter on the question) is in the store file afterwards, and in the lookup tables the window keeps
# for rubrello-cli.
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
indexed() {
    [[ $(sql "select count(*) from RubrelloSearchText where instr(Folded, 'TRATTORIA NICOLO')") == 1 \
        && $(sql "select count(*) from RubrelloChanged") == 0 ]]
}
poll indexed || fail "the lookup tables do not hold the new contact"
found=$("$BUILD_DIR/rubrello-cli" --store "$STORE" search nicolò)
[[ "$found" == "D'Amico, Nicolò" ]] || fail "rubrello-cli found '$found'"
leave "$MAIN"
row=$(sql "select LastName || '|' || FirstName || '|' || Azienda from PhoneList")
[[ "$row" == "D'Amico|Nicolò|Trattoria Nicolò" ]] || fail "the store holds '$row'"
