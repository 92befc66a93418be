// The backups of the agenda: a copy saved where the user chooses, and the restore of an automatic one.
#include "ui/phone/Phone.h"

void Phone::FileSalvaCopia_Click() { }

void Phone::FileRipristina_Click() { }
