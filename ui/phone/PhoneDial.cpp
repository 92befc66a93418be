#include "ui/phone/Phone.h"

#include "ui/forms/Form1.h"

#include <QAction>

void Phone::BtnChiama_Click()
{
    if (!saveBeforeLeaving())
        return;
    FileChiama_Click();
}

void Phone::FileChiama_Click()
{
    // The dialog keeps this window out of use while it is open and frees itself when it closes.
    auto *form = new Form1(m_platform, this);
    const ContactRecord shown = contactOnScreen();
    form->Form_Load({{shown.text(Field::WorkPhone), shown.text(Field::HomePhone), shown.text(Field::WorkFax),
                         shown.text(Field::HomeFax), shown.text(Field::Cellulare)},
        shown.text(Field::LastName), shown.text(Field::FirstName), m_programDir});
    form->show();
}
