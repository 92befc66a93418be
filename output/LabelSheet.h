// The sheets of address labels: the common A4 sheets with the measures their makers publish, and a
// custom one the user measures.
#pragma once

#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

struct LabelSheet
{
    QString id; // "3x8", for the command line and to remember the last one
    QString name; // in the dialog: "3 × 8 (70 × 37 mm)", with the makers' codes
    QSizeF paper{210, 297}; // mm
    int columns = 1;
    int rows = 1;
    QSizeF label; // mm
    qreal top = 0; // mm from the paper's top edge to the first row
    qreal left = 0; // mm from the paper's left edge to the first column
    qreal horizontalPitch = 0; // mm from one label's left edge to the next one's
    qreal verticalPitch = 0;

    int perSheet() const { return columns * rows; }
};

// The sheets offered, the most common first.
const std::vector<LabelSheet> &labelSheets();
// A sheet by its id, or a custom one written as customSheetText() writes it; nullopt with the reason
// (Italian) for anything else or for measures that do not fit on the paper.
std::optional<LabelSheet> labelSheet(const QString &id, QString *error = nullptr);
// "custom:COLONNExRIGHE:LARGHEZZAxALTEZZA:SUPERIORE:SINISTRO:PASSO_ORIZZONTALE:PASSO_VERTICALE", in mm,
// on A4 paper.
QString customSheetText(const LabelSheet &sheet);
