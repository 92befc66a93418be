#!/usr/bin/env bash
# Takes the screenshot of the metainfo from the real window, with a few sample contacts and one card
# shown, cropped to the window:
#     xvfb-run -a -s "-screen 0 1024x768x24" packaging/take-screenshot.sh build [shot.png]
# The program is started the way the end-to-end tests start it, in a folder and a home of its own.
here=$(cd "$(dirname "$0")" && pwd)
output=$(realpath -m "${2:-$here/screenshots/main-window.png}")
source "$here/../tests/e2e/lib.sh" "$(realpath "$1")"

install_program
start_program
wait_window '^Rubrello - Argomento$' >/dev/null
kill -9 "$PID"
wait "$PID" 2>/dev/null || true
PID=
sql "insert into PhoneList (LastName, FirstName, Azienda, Cellulare, Internet, www, WorkAddress, WorkCity,
                            WorkProv, WorkPostalCode, WorkPhone, WorkFax, Note)
     values ('Rossi', 'Mario', 'Rossi Arredamenti Srl', '333 1234567', 'mario.rossi@example.org',
             'https://www.example.org/rossi', 'Via Roma 12', 'Bologna', 'BO', '40121', '051 234567',
             '051 234568', 'Preferisce essere chiamato al mattino.'),
            ('Bianchi', 'Anna', 'Studio Bianchi', '347 7654321', 'anna@example.org', '', 'Via Po 2', 'Forlì',
             'FC', '47121', '0543 123456', '', ''),
            ('Verdi', 'Luca', 'Verdi SpA', '', 'luca.verdi@example.org', '', 'Corso Italia 3', 'Milano', 'MI',
             '20122', '02 3456789', '02 3456780', ''),
            ('Esposito', 'Giulia', '', '339 1122334', '', '', 'Via Toledo 45', 'Napoli', 'NA', '80134',
             '081 556677', '', ''),
            ('Colombo', 'Paolo', 'Colombo & Figli', '', 'paolo@example.org', '', 'Viale Monza 8', 'Milano',
             'MI', '20127', '02 9988776', '', ''),
            ('Ricci', 'Chiara', '', '328 4455667', 'chiara.ricci@example.org', '', 'Via Garibaldi 7', 'Torino',
             'TO', '10122', '011 445566', '', '')"
start_with_whole_agenda

# "r" goes to the letter R, Enter opens it, Down chooses Ricci and Down again Rossi.
click_client "$MAIN" 60 80
keys "$MAIN" r Return Down Down
sleep 1
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
mkdir -p "$(dirname "$output")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
keys "$MAIN" alt+u
wait_exit || fail "the program ended with an error"
echo "screenshot: $output (${WIDTH}x${HEIGHT})"
