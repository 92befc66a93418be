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
    form->Form_Load({{tPhone[0]->boxText(), tPhone[1]->boxText(), tFax[0]->boxText(), tFax[1]->boxText(),
                         Text1->boxText()},
        tLName->boxText(), tFName->boxText(), programDir()});
    form->show();
}
