// Where the program's windows appear when they open.
#pragma once

#include <QSize>

class QWidget;

// Puts window, frame included, in the middle of a screen of the given size.
void centreOnScreen(QWidget &window, QSize screen);
