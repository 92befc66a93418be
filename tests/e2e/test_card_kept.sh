# What is typed on the card is never lost, and the card shows the line the user chose: the first
# contact typed into an empty agenda is stored, an exit refused by the name checks keeps the window
# with the card as typed, and a line reached by dragging in the tree is the contact shown.
source "$(dirname "$0")/lib.sh" "$1"

# Tree lines are this many pixels apart; the first one is at the top of the tree.
ROW=${ROW:-14}
tree_line_y() {
    echo $((69 + 2 + ROW / 2 + $1 * ROW))
}

install_program
start_with_whole_agenda
# An empty agenda: a click into the surname box and typing begin the first contact.
click_client "$MAIN" 330 81
type_text "$MAIN" "Rossi"
keys "$MAIN" Tab
type_text "$MAIN" "Mario"
keys "$MAIN" alt+u
keys "$(wait_window '^Rubrello 2000$')" Return
wait_exit || fail "the program ended with an error"
row=$(sql "select LastName || '|' || FirstName from PhoneList")
[[ "$row" == "Rossi|Mario" ]] || fail "the store holds '$row'"

sql "insert into PhoneList (LastName, FirstName, WorkCity) values
     ('Abate', 'Anna', 'Bari'), ('Accardi', 'Bruno', 'Como'), ('Adami', 'Carla', 'Lodi')"
start_with_whole_agenda
# The card shows the contact of the last run. Its first name typed away: the exit button says
# why and the window stays.
click_client "$MAIN" 500 81
keys "$MAIN" End BackSpace BackSpace BackSpace BackSpace BackSpace
keys "$MAIN" alt+u
answer_box
sleep 0.5
kill -0 "$PID" 2>/dev/null || fail "the program ended and lost the card"
type_text "$MAIN" "Annalisa"
keys "$MAIN" ctrl+a
answer_box
[[ $(sql "select FirstName from PhoneList where LastName = 'Rossi'") == "Annalisa" ]] || fail "the name was not saved"

# Letter A opened, then pressed on its first contact and released on its third.
click_client "$MAIN" 40 "$(tree_line_y 0)"
keys "$MAIN" Return
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
menubar=$((HEIGHT - 446))
xdotool mousemove --window "$MAIN" 80 $(($(tree_line_y 1) + menubar)) mousedown 1
for step in $(seq 1 $((2 * ROW))); do
    xdotool mousemove --window "$MAIN" 80 $(($(tree_line_y 1) + step + menubar))
done
xdotool mouseup 1
sleep 0.3
copied=$(copy_card)
[[ "$copied" == *"Adami Carla"* ]] || fail "the card shows: $copied"
keys "$MAIN" alt+u
wait_exit || fail "the program ended with an error"
