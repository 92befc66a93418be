#include "app/Phone.h"

void Phone::Command1_Click()
{
}

void Phone::Command2_Click()
{
}

void Phone::FileAiuto_Click()
{
}

void Phone::MenuMail_Click()
{
}

void Phone::MenuHomeAutore_Click()
{
}

void Phone::FileAbout_Click()
{
}
