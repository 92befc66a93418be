#include "output/LabelSheet.h"

#include <QLocale>

#include <cmath>

namespace {

// A measure as a person reads it in the dialog: "63,5".
QString shownMeasure(qreal millimetres)
{
    return QString::number(millimetres, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString sheetName(const LabelSheet &sheet, const QString &makers)
{
    return QStringLiteral("%1 × %2 (%3 × %4 mm)%5")
        .arg(sheet.columns)
        .arg(sheet.rows)
        .arg(shownMeasure(sheet.label.width()), shownMeasure(sheet.label.height()),
            makers.isEmpty() ? QString() : QStringLiteral(" ") + makers);
}

LabelSheet a4Sheet(const char *id, const char *makers, int columns, int rows, QSizeF label, qreal top,
    qreal left, qreal horizontalPitch, qreal verticalPitch)
{
    LabelSheet sheet;
    sheet.id = QLatin1String(id);
    sheet.columns = columns;
    sheet.rows = rows;
    sheet.label = label;
    sheet.top = top;
    sheet.left = left;
    sheet.horizontalPitch = horizontalPitch;
    sheet.verticalPitch = verticalPitch;
    sheet.name = sheetName(sheet, QString::fromUtf8(makers));
    return sheet;
}

// Measures printed within a hundredth of a millimetre of the paper's edge are on the paper.
constexpr qreal Tolerance = 0.01;
constexpr int MostLabelsAcross = 100;

// Why the sheet's labels cannot be printed as measured, or an empty string.
QString sheetFault(const LabelSheet &sheet)
{
    if (sheet.columns < 1 || sheet.rows < 1 || sheet.columns > MostLabelsAcross
        || sheet.rows > MostLabelsAcross)
        return QStringLiteral("Colonne e righe di etichette vanno da 1 a %1.").arg(MostLabelsAcross);
    if (!(sheet.label.width() > 0) || !(sheet.label.height() > 0))
        return QStringLiteral("Larghezza e altezza delle etichette devono essere maggiori di zero.");
    if (!(sheet.top >= 0) || !(sheet.left >= 0))
        return QStringLiteral("I margini superiore e sinistro non possono essere negativi.");
    if (!(sheet.horizontalPitch + Tolerance >= sheet.label.width()))
        return QStringLiteral(
            "Il passo orizzontale (%1 mm) è minore della larghezza delle etichette (%2 mm).")
            .arg(shownMeasure(sheet.horizontalPitch), shownMeasure(sheet.label.width()));
    if (!(sheet.verticalPitch + Tolerance >= sheet.label.height()))
        return QStringLiteral("Il passo verticale (%1 mm) è minore dell'altezza delle etichette (%2 mm).")
            .arg(shownMeasure(sheet.verticalPitch), shownMeasure(sheet.label.height()));
    const qreal right = sheet.left + (sheet.columns - 1) * sheet.horizontalPitch + sheet.label.width();
    if (right > sheet.paper.width() + Tolerance)
        return QStringLiteral("Le etichette escono dal foglio: l'ultima colonna finisce a %1 mm dal bordo "
                              "sinistro e il foglio è largo %2 mm.")
            .arg(shownMeasure(right), shownMeasure(sheet.paper.width()));
    const qreal bottom = sheet.top + (sheet.rows - 1) * sheet.verticalPitch + sheet.label.height();
    if (bottom > sheet.paper.height() + Tolerance)
        return QStringLiteral("Le etichette escono dal foglio: l'ultima riga finisce a %1 mm dal bordo "
                              "superiore e il foglio è alto %2 mm.")
            .arg(shownMeasure(bottom), shownMeasure(sheet.paper.height()));
    return {};
}

const QString CustomPrefix = QStringLiteral("custom:");

// A measure typed with a point or, as Italians write it, a comma.
std::optional<qreal> measure(QString text)
{
    bool ok = false;
    const qreal value = QLocale::c().toDouble(text.replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::pair<qreal, qreal>> measurePair(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<qreal> first = measure(parts.at(0));
    const std::optional<qreal> second = measure(parts.at(1));
    if (!first || !second)
        return std::nullopt;
    return std::pair(*first, *second);
}

std::optional<LabelSheet> customSheet(const QString &text, QString *error)
{
    const QStringList parts = text.mid(CustomPrefix.size()).split(QLatin1Char(':'));
    const QString form = QStringLiteral(
        "Un foglio di etichette personalizzato si scrive custom:COLONNExRIGHE:LARGHEZZAxALTEZZA:"
        "SUPERIORE:SINISTRO:PASSO_ORIZZONTALE:PASSO_VERTICALE, in millimetri (per esempio "
        "custom:3x8:70x37:0.5:0:70:37).");
    const auto refuse = [error](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (parts.size() != 6)
        return refuse(form);
    const QStringList grid = parts.at(0).split(QLatin1Char('x'));
    bool columnsOk = false;
    bool rowsOk = false;
    LabelSheet sheet;
    sheet.columns = grid.value(0).toInt(&columnsOk);
    sheet.rows = grid.value(1).toInt(&rowsOk);
    const std::optional<std::pair<qreal, qreal>> label = measurePair(parts.at(1));
    const std::optional<qreal> top = measure(parts.at(2));
    const std::optional<qreal> left = measure(parts.at(3));
    const std::optional<qreal> horizontalPitch = measure(parts.at(4));
    const std::optional<qreal> verticalPitch = measure(parts.at(5));
    if (grid.size() != 2 || !columnsOk || !rowsOk || !label || !top || !left || !horizontalPitch
        || !verticalPitch)
        return refuse(form);
    sheet.label = QSizeF(label->first, label->second);
    sheet.top = *top;
    sheet.left = *left;
    sheet.horizontalPitch = *horizontalPitch;
    sheet.verticalPitch = *verticalPitch;
    if (const QString fault = sheetFault(sheet); !fault.isEmpty())
        return refuse(fault);
    sheet.id = customSheetText(sheet);
    sheet.name = QStringLiteral("Personalizzato: ") + sheetName(sheet, {});
    return sheet;
}

} // namespace

const std::vector<LabelSheet> &labelSheets()
{
    // The makers' A4 sheets, their measures as published. Sheets with no gap between the labels
    // (70 mm across) are the ones Italian stationers sell most.
    static const std::vector<LabelSheet> sheets = {
        a4Sheet("3x8", "Avery Zweckform 3474", 3, 8, {70, 37}, 0.5, 0, 70, 37),
        a4Sheet("3x8-36", "Avery Zweckform 3490", 3, 8, {70, 36}, 4.5, 0, 70, 36),
        a4Sheet("3x7", "Avery L7160", 3, 7, {63.5, 38.1}, 15.15, 7.2, 66.04, 38.1),
        a4Sheet("3x8-63", "Avery L7159", 3, 8, {63.5, 33.9}, 12.9, 7.2, 66.04, 33.9),
        a4Sheet("3x6", "Avery L7161", 3, 6, {63.5, 46.6}, 8.7, 7.2, 66.04, 46.6),
        a4Sheet("2x7", "Avery L7163", 2, 7, {99.1, 38.1}, 15.15, 4.65, 101.6, 38.1),
        a4Sheet("2x8", "Avery L7162", 2, 8, {99.1, 33.9}, 12.9, 4.65, 101.6, 33.9),
        a4Sheet("4x10", "Avery L7654", 4, 10, {45.7, 25.4}, 21.5, 9.75, 48.26, 25.4),
    };
    return sheets;
}

std::optional<LabelSheet> labelSheet(const QString &id, QString *error)
{
    if (id.startsWith(CustomPrefix))
        return customSheet(id, error);
    QStringList known;
    for (const LabelSheet &sheet : labelSheets()) {
        if (sheet.id == id)
            return sheet;
        known.append(sheet.id);
    }
    if (error)
        *error = QStringLiteral("Foglio di etichette sconosciuto: \"%1\". I fogli noti sono %2, oppure uno "
                                "personalizzato (custom:...).")
                     .arg(id, known.join(QStringLiteral(", ")));
    return std::nullopt;
}

QString customSheetText(const LabelSheet &sheet)
{
    const auto text = [](qreal millimetres) { return QString::number(millimetres, 'g', 10); };
    return CustomPrefix
        + QStringLiteral("%1x%2:%3x%4:%5:%6:%7:%8")
              .arg(sheet.columns)
              .arg(sheet.rows)
              .arg(text(sheet.label.width()), text(sheet.label.height()), text(sheet.top), text(sheet.left),
                  text(sheet.horizontalPitch), text(sheet.verticalPitch));
}
