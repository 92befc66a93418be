#include "app/Phone.h"

void Phone::FileStampaMaschera_Click()
{
}

void Phone::FileStampaAgenda_Click()
{
}

void Phone::CmdCopia_Click()
{
}
