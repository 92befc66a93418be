#include "ui/controls/WindowPlacement.h"

#include <QWidget>

void centreOnScreen(QWidget &window, QSize screen)
{
    const QSize outer = window.frameGeometry().size();
    window.move((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
}
