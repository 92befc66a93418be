#include "ui/phone/PhoneUi.h"

#include "ui/controls/BoundBox.h"

BoundBox *PhoneUi::box(const CardField &entry, int instance) const
{
    QString name = QString::fromLatin1(entry.name);
    if (entry.isPageBox())
        name += u'_' + QString::number(instance);
    else if (instance != 0)
        return nullptr;
    return dynamic_cast<BoundBox *>(client->findChild<QWidget *>(name));
}
