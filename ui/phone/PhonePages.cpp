// The card's three pages. The visible flags and the place of Image1 are the page state.
#include "ui/phone/Phone.h"

#include <QFrame>
#include <QLabel>

namespace {

template<typename Boxes>
void showInstance(const Boxes &boxes, int element, bool visible)
{
    for (QWidget *box : boxes[element])
        box->setVisible(visible);
}

} // namespace

// The six page boxes of one element, in the order the pages switch them.
static std::array<std::array<QWidget *, 6>, 2> pageBoxes(const Phone &phone)
{
    std::array<std::array<QWidget *, 6>, 2> boxes{};
    for (int element = 0; element < 2; ++element)
        boxes[element] = {phone.tPhone[element], phone.tAddress[element], phone.tCity[element],
                          phone.tProv[element],  phone.tPost[element],    phone.tFax[element]};
    return boxes;
}

void Phone::Command3d1_Click()
{
    Picture1->show();
    showInstance(pageBoxes(*this), 1, true);
    showInstance(pageBoxes(*this), 0, false);
    tNotes->hide();
    Image1->move(380, Image1->y());
}

void Phone::Command3d2_Click()
{
    Picture1->show();
    showInstance(pageBoxes(*this), 0, true);
    showInstance(pageBoxes(*this), 1, false);
    tNotes->hide();
    Image1->move(248, Image1->y());
}

void Phone::Command3d3_Click()
{
    Picture1->hide();
    tNotes->show();
    Image1->move(499, Image1->y());
}

void Phone::Label1_Click()
{
    showInstance(pageBoxes(*this), 0, true);
    showInstance(pageBoxes(*this), 1, false);
    tNotes->hide();
}

void Phone::Label2_Click()
{
    showInstance(pageBoxes(*this), 1, true);
    showInstance(pageBoxes(*this), 0, false);
    tNotes->hide();
}
