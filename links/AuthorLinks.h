// The project's links of the Help menu, set once in the build configuration (RUBRELLO_AUTHOR_* in CMake).
#pragma once

#include <QString>
#include <QUrl>

// Caption of MenuHomeAutore, with its "&" accelerator.
QString authorHomeCaption();
QUrl authorHomeUrl();
// "mailto:" + address + "?subject=" + the configured, already percent-encoded subject.
QUrl authorMailUrl();
