// An envelope for one contact: the address where the post wants it, the sender in the top corner.
#pragma once

#include "output/PrintedPage.h"

#include <QStringList>

enum class EnvelopeSize { DL, C5 }; // 220 × 110 mm, 229 × 162 mm, printed wider than tall

PrintedPage layoutEnvelope(const QStringList &recipient, const QStringList &sender, EnvelopeSize size);
