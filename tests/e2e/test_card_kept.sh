# What is typed on the card is never lost, and the card shows the line the user chose: an exit
# refused by the name checks keeps the window with the card as typed, and a line reached by
# dragging in the tree is the contact shown.
source "$(dirname "$0")/lib.sh" "$1"

# Tree lines are this many pixels apart; the first one is at the top of the tree.
ROW=${ROW:-14}
tree_line_y() { echo $((69 + 2 + ROW / 2 + $1 * ROW)); }

store_with "(LastName, FirstName) values ('Abate', 'Anna'), ('Accardi', 'Bruno'), ('Adami', 'Carla')"
start_with_whole_agenda
# The first name typed away: the exit button says why and the window stays.
click_client "$MAIN" 500 81
keys "$MAIN" End shift+Home BackSpace alt+u
answer_box
sleep 0.5
ended && fail "the program ended and lost the card"
type_text "$MAIN" "Annalisa"
keys "$MAIN" ctrl+a
answer_box
[[ $(sql "select count(*) from PhoneList where FirstName = 'Annalisa'") == 1 ]] || fail "the name was not saved"

# Letter A opened, then pressed on its first contact and released on its third.
click_client "$MAIN" 40 "$(tree_line_y 0)"
keys "$MAIN" Return
move_client "$MAIN" 80 "$(tree_line_y 1)" mousedown 1
for step in $(seq 1 $((2 * ROW))); do
    move_client "$MAIN" 80 $(($(tree_line_y 1) + step))
done
xdotool mouseup 1
sleep 0.3
copied=$(copy_card)
[[ "$copied" == *"Adami Carla"* ]] || fail "the card shows: $copied"
leave "$MAIN"
