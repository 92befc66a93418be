#include "ui/forms/CsvImportDialog.h"

#include "csv/CsvHeaders.h"
#include "exchange/FileSources.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// What a column can become by the user's choice: a box of the card, or a part of one.
struct Target
{
    const char *caption;
    const char *property;
    const char *types; // comma-separated TYPE values, or empty
    int component;
};

constexpr Target Targets[] = {
    {"Cognome", "N", "", 0},
    {"Nome", "N", "", 1},
    {"Azienda", "ORG", "", 0},
    {"Cellulare", "TEL", "cell", -1},
    {"Telefono lavoro", "TEL", "work,voice", -1},
    {"Fax lavoro", "TEL", "work,fax", -1},
    {"Telefono casa", "TEL", "home,voice", -1},
    {"Fax casa", "TEL", "home,fax", -1},
    {"E-mail", "EMAIL", "", -1},
    {"Home page", "URL", "", -1},
    {"Note", "NOTE", "", -1},
    {"Indirizzo lavoro", "ADR", "work", 2},
    {"Città lavoro", "ADR", "work", 3},
    {"Provincia lavoro", "ADR", "work", 4},
    {"CAP lavoro", "ADR", "work", 5},
    {"Indirizzo casa", "ADR", "home", 2},
    {"Città casa", "ADR", "home", 3},
    {"Provincia casa", "ADR", "home", 4},
    {"CAP casa", "ADR", "home", 5},
};

// The combo's first entries before the targets.
enum Choice { Offered = 0, Kept = 1, Dropped = 2, FirstTarget = 3 };

constexpr int PreviewRows = 6; // the header and five contacts

CsvColumn targetColumn(const QString &header, const Target &target)
{
    CsvColumn column;
    column.header = header;
    column.use = CsvColumnUse::Property;
    column.property = QString::fromLatin1(target.property);
    if (*target.types)
        column.parameters.append({QStringLiteral("TYPE"), QString::fromLatin1(target.types).split(u',')});
    column.component = target.component;
    return column;
}

} // namespace

CsvImportDialog::CsvImportDialog(QString path, CsvFormat format, CsvMapping mapping, QWidget *parent)
    : QDialog(parent)
    , m_path(std::move(path))
    , m_offered(std::move(mapping))
{
    setObjectName(QStringLiteral("CsvImportDialog"));
    setWindowTitle(QStringLiteral("Importa contatti da CSV"));
    cboSeparator = new QComboBox(this);
    cboSeparator->setObjectName(QStringLiteral("cboSeparator"));
    cboSeparator->addItem(QStringLiteral("virgola ( , )"), int(','));
    cboSeparator->addItem(QStringLiteral("punto e virgola ( ; )"), int(';'));
    cboSeparator->addItem(QStringLiteral("tabulazione"), int('\t'));
    cboSeparator->setCurrentIndex(cboSeparator->findData(int(format.separator)));
    cboEncoding = new QComboBox(this);
    cboEncoding->setObjectName(QStringLiteral("cboEncoding"));
    cboEncoding->addItem(QStringLiteral("UTF-8"), int(CsvEncoding::Utf8));
    cboEncoding->addItem(QStringLiteral("Windows-1252 (Europa occidentale)"), int(CsvEncoding::Windows1252));
    cboEncoding->setCurrentIndex(format.encoding == CsvEncoding::Utf8 ? 0 : 1);
    tblPreview = new QTableWidget(this);
    tblPreview->setObjectName(QStringLiteral("tblPreview"));
    tblPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblProblem = new QLabel(this);
    lblProblem->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Avanti"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cboSeparator, &QComboBox::currentIndexChanged, this, &CsvImportDialog::showRows);
    connect(cboEncoding, &QComboBox::currentIndexChanged, this, &CsvImportDialog::showRows);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Separatore:"), cboSeparator);
    form->addRow(QStringLiteral("Codifica dei caratteri:"), cboEncoding);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Sopra ogni colonna, che cosa diventa nella scheda:"), this));
    layout->addWidget(tblPreview);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);
    resize(760, 360);
    showRows();
}

CsvFormat CsvImportDialog::format() const
{
    CsvFormat format;
    format.separator = char(cboSeparator->currentData().toInt());
    format.encoding = static_cast<CsvEncoding>(cboEncoding->currentData().toInt());
    return format;
}

CsvMapping CsvImportDialog::mapping() const
{
    CsvMapping mapping;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const QString header = tblPreview->horizontalHeaderItem(int(i))->text();
        CsvColumn column = m_offered.columns.value(i);
        column.header = header;
        switch (const int choice = m_columns[i]->currentIndex()) {
        case Offered:
            break;
        case Kept:
            column = CsvColumn{header, CsvColumnUse::Extra, {}, {}, -1, 0, false};
            break;
        case Dropped:
            column = CsvColumn{header, CsvColumnUse::Ignored, {}, {}, -1, 0, false};
            break;
        default:
            column = targetColumn(header, Targets[choice - FirstTarget]);
            break;
        }
        mapping.columns.append(column);
    }
    return mapping;
}

void CsvImportDialog::showRows()
{
    QList<QStringList> rows;
    QString problem;
    CsvFileSource::firstRows(m_path, format(), PreviewRows, &rows, &problem);
    lblProblem->setText(problem);
    const QStringList header = rows.value(0);
    // Another separator gives other columns: what the header says of them is read again.
    if (m_offered.columns.size() != header.size())
        m_offered = recognizeCsvHeader(header);
    tblPreview->clear();
    tblPreview->setColumnCount(int(header.size()));
    tblPreview->setRowCount(int(std::max<qsizetype>(rows.size(), 1)));
    tblPreview->setHorizontalHeaderLabels(header);
    m_columns.clear();
    for (qsizetype c = 0; c < header.size(); ++c) {
        auto *use = new QComboBox(tblPreview);
        use->setObjectName(QStringLiteral("cboColumn_%1").arg(c));
        const CsvColumn &offered = m_offered.columns.value(c);
        const bool named = offered.use == CsvColumnUse::Property || offered.use == CsvColumnUse::PropertyType;
        use->addItem(offered.use == CsvColumnUse::Ignored
                ? QStringLiteral("Come riconosciuto (non importare)")
                : named ? QStringLiteral("Come riconosciuto (%1)").arg(offered.property)
                        : QStringLiteral("Come riconosciuto (altri dati)"));
        use->addItem(QStringLiteral("Tenere fra gli altri dati"));
        use->addItem(QStringLiteral("Non importare"));
        for (const Target &target : Targets)
            use->addItem(QString::fromUtf8(target.caption));
        tblPreview->setCellWidget(0, int(c), use);
        m_columns.append(use);
        for (qsizetype r = 1; r < rows.size(); ++r)
            tblPreview->setItem(int(r), int(c), new QTableWidgetItem(rows[r].value(c)));
    }
    tblPreview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}
