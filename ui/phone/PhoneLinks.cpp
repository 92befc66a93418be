#include "ui/phone/Phone.h"

#include "ui/forms/Form3.h"
#include "links/LinkActions.h"
#include "platform/Platform.h"

// The boxes' texts are taken as they stand, so an address typed but not yet saved is used too.
void Phone::Command1_Click()
{
    openContactMail(platform(), tInternet->text());
}

void Phone::Command2_Click()
{
    openContactHomePage(platform(), tHomepage->text());
}

void Phone::FileAiuto_Click()
{
    openHelpPage(platform(), programDir());
}

void Phone::MenuMail_Click()
{
    openAuthorMail(platform());
}

void Phone::MenuHomeAutore_Click()
{
    openAuthorHome(platform());
}

void Phone::FileAbout_Click()
{
    Form3 about(platform(), this);
    platform().runModal(about);
}
