#include "ui/phone/Phone.h"

#include "links/LinkActions.h"
#include "platform/Platform.h"
#include "ui/forms/Form3.h"

// The boxes' texts are taken as they stand, so an address typed but not yet saved is used too.
void Phone::Command1_Click()
{
    openContactMail(m_platform, contactOnScreen().text(Field::Internet));
}

void Phone::Command2_Click()
{
    openContactHomePage(m_platform, contactOnScreen().text(Field::www));
}

void Phone::FileAiuto_Click()
{
    openHelpPage(m_platform, m_programDir);
}

void Phone::MenuMail_Click()
{
    openAuthorMail(m_platform);
}

void Phone::MenuHomeAutore_Click()
{
    openAuthorHome(m_platform);
}

void Phone::FileAbout_Click()
{
    Form3 about(m_platform, this);
    m_platform.runModal(about);
}
