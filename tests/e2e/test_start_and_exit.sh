# A new user starts the program in an empty folder: the store is created in the user's data folder,
# never beside the program (a build folder is easily wiped); the search dialog opens first, then
# the window; the exit button, clicked with the mouse, ends it.
source "$(dirname "$0")/lib.sh" "$1"

start_with_whole_agenda
[[ -f "$STORE" ]] || fail "the store was not created in the data folder"
[[ ! -e "$APP_DIR/Rubrello.MDB" ]] || fail "the store was created beside the program"
click_client "$MAIN" 500 35
wait_exit
[[ $(sql "select count(*) from PhoneList") == 0 ]] || fail "the new store is not empty"
