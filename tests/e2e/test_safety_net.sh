# The safety net as a user meets it: a contact deleted with Ctrl+Y comes back with Ctrl+Z; deleted
# again, it waits in the trash across a restart and comes back from it; and yesterday's backup puts
# back an agenda another program emptied.
source "$(dirname "$0")/lib.sh" "$1"

count() { sql "select count(*) from PhoneList"; }
has() { [[ $(count) == "$1" ]]; }
delete_shown() {
    keys "$MAIN" ctrl+y
    keys "$(wait_window '^Rubrello$')" Return
    wait_gone '^Rubrello$'
}
BACKUPS="$XDG_DATA_HOME/Rubrello/rubrello/Copie di sicurezza"

store_with "(LastName, FirstName) values ('Bianchi', 'Anna'), ('Rossi', 'Mario')"
start_with_whole_agenda
delete_shown
poll has 1 || fail "the contact was not deleted"
keys "$MAIN" ctrl+z
poll has 2 || fail "Ctrl+Z did not bring the contact back"
delete_shown
poll has 1 || fail "the contact was not deleted again"
leave "$MAIN"

# The day's copy, taken at the start with both contacts, becomes yesterday's.
today=$(ls "$BACKUPS"/*/Rubrello-"$(date +%F)".MDB) || fail "no backup was taken at the start"
mv "$today" "${today%/*}/Rubrello-$(date -d yesterday +%F).MDB"

start_with_whole_agenda
keys "$MAIN" alt+e t
trash=$(wait_window '^Cestino$')
keys "$trash" alt+r
poll has 2 || fail "the contact did not come back from the trash"
keys "$trash" Escape
wait_gone '^Cestino$'
[[ $(sql "select FirstName from PhoneList where LastName = 'Bianchi'") == Anna ]] || fail "Bianchi came back wrong"

sql "delete from PhoneList"
keys "$MAIN" alt+f r
list=$(wait_window '^Ripristina da una copia di sicurezza$')
# Today's copy first, then yesterday's.
keys "$list" Down Return
keys "$(wait_window "$BOX")" alt+s
poll has 2 || fail "yesterday's backup was not restored"
answer_box
ls "$BACKUPS"/*/*-prima-del-ripristino.MDB >/dev/null || fail "the emptied agenda was not kept first"
leave "$MAIN"
