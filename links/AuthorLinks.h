// The author's links of the Help menu, set once in the build configuration.
#pragma once

#include <QString>
#include <QUrl>

QString authorHomeCaption();
QUrl authorHomeUrl();
QUrl authorMailUrl();
