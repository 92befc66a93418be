#include "ui/forms/LabelsDialog.h"

#include "ui/forms/AddressChoice.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString SheetKey = QStringLiteral("printouts/labelSheet");
const QString AddressKey = QStringLiteral("printouts/labelAddress");
const QString StartKey = QStringLiteral("printouts/labelStart");
const QString Custom = QStringLiteral("custom");

} // namespace

LabelsDialog::LabelsDialog(bool hitsShown, QSettings *memory, QWidget *parent)
    : QDialog(parent)
    , m_memory(memory)
{
    setObjectName(QStringLiteral("LabelsDialog"));
    setWindowTitle(QStringLiteral("Etichette indirizzi"));

    auto *which = new QGroupBox(QStringLiteral("Stampare le etichette per"), this);
    optShown = new QRadioButton(QStringLiteral("il contatto &mostrato"), which);
    optHits = new QRadioButton(QStringLiteral("i contatti trovati dalla &ricerca"), which);
    optAgenda = new QRadioButton(QStringLiteral("&tutta l'agenda"), which);
    optShown->setObjectName(QStringLiteral("optShown"));
    optHits->setObjectName(QStringLiteral("optHits"));
    optAgenda->setObjectName(QStringLiteral("optAgenda"));
    optHits->setEnabled(hitsShown);
    (hitsShown ? optHits : optShown)->setChecked(true);
    auto *whichLayout = new QVBoxLayout(which);
    whichLayout->addWidget(optShown);
    whichLayout->addWidget(optHits);
    whichLayout->addWidget(optAgenda);

    address = new AddressChoice(QStringLiteral("Indirizzo"), memory, AddressKey, this);

    cboFoglio = new QComboBox(this);
    cboFoglio->setObjectName(QStringLiteral("cboFoglio"));
    for (const LabelSheet &sheet : labelSheets())
        cboFoglio->addItem(sheet.name, sheet.id);
    cboFoglio->addItem(QStringLiteral("Personalizzato…"), Custom);

    fraMisure = new QGroupBox(QStringLiteral("Misure del foglio"), this);
    spnColonne = new QSpinBox(fraMisure);
    spnColonne->setObjectName(QStringLiteral("spnColonne"));
    spnColonne->setRange(1, 20);
    spnRighe = new QSpinBox(fraMisure);
    spnRighe->setObjectName(QStringLiteral("spnRighe"));
    spnRighe->setRange(1, 50);
    auto *grid = new QGridLayout(fraMisure);
    grid->addWidget(new QLabel(QStringLiteral("Colonne:"), fraMisure), 0, 0);
    grid->addWidget(spnColonne, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Righe:"), fraMisure), 0, 2);
    grid->addWidget(spnRighe, 0, 3);
    const std::array<std::pair<const char *, QString>, 6> measures{{
        {"spnLarghezza", QStringLiteral("Larghezza etichetta:")},
        {"spnAltezza", QStringLiteral("Altezza etichetta:")},
        {"spnMargineSuperiore", QStringLiteral("Margine superiore:")},
        {"spnMargineSinistro", QStringLiteral("Margine sinistro:")},
        {"spnPassoOrizzontale", QStringLiteral("Passo orizzontale:")},
        {"spnPassoVerticale", QStringLiteral("Passo verticale:")},
    }};
    for (size_t i = 0; i < measures.size(); ++i) {
        auto *box = new QDoubleSpinBox(fraMisure);
        box->setObjectName(QString::fromLatin1(measures[i].first));
        box->setRange(0, 400);
        box->setDecimals(1);
        box->setSuffix(QStringLiteral(" mm"));
        spnMisure[i] = box;
        const int row = 1 + static_cast<int>(i) / 2;
        const int column = static_cast<int>(i) % 2 * 2;
        grid->addWidget(new QLabel(measures[i].second, fraMisure), row, column);
        grid->addWidget(box, row, column + 1);
        connect(box, &QDoubleSpinBox::valueChanged, this, &LabelsDialog::updateStart);
    }
    connect(spnColonne, &QSpinBox::valueChanged, this, &LabelsDialog::updateStart);
    connect(spnRighe, &QSpinBox::valueChanged, this, &LabelsDialog::updateStart);

    spnInizio = new QSpinBox(this);
    spnInizio->setObjectName(QStringLiteral("spnInizio"));
    lblInizio = new QLabel(this);
    lblInizio->setObjectName(QStringLiteral("lblInizio"));
    connect(spnInizio, &QSpinBox::valueChanged, this, &LabelsDialog::updateStart);
    lblErrore = new QLabel(this);
    lblErrore->setObjectName(QStringLiteral("lblErrore"));
    lblErrore->setWordWrap(true);
    lblErrore->setStyleSheet(QStringLiteral("color: #b00000"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK = buttons->button(QDialogButtonBox::Ok);
    cmdOK->setText(QStringLiteral("&Anteprima"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LabelsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *start = new QHBoxLayout;
    start->addWidget(spnInizio);
    start->addWidget(lblInizio, 1);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Foglio:"), cboFoglio);
    form->addRow(fraMisure);
    auto *startLabel = new QLabel(QStringLiteral("Cominciare dall'&etichetta:"), this);
    startLabel->setBuddy(spnInizio);
    form->addRow(startLabel, start);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(which);
    layout->addWidget(address);
    layout->addLayout(form);
    layout->addWidget(lblErrore);
    layout->addWidget(buttons);

    // The sheet used last, with its measures when the user took them.
    const QString remembered = memory ? memory->value(SheetKey).toString() : QString();
    const std::optional<LabelSheet> last = remembered.isEmpty() ? std::nullopt : labelSheet(remembered);
    const bool custom = last && remembered.startsWith(Custom + QLatin1Char(':'));
    const int index = cboFoglio->findData(custom ? Custom : remembered);
    cboFoglio->setCurrentIndex(std::max(index, 0));
    showMeasures(custom ? *last : sheet());
    spnInizio->setValue(memory ? memory->value(StartKey, 1).toInt() : 1);
    connect(cboFoglio, &QComboBox::currentIndexChanged, this, &LabelsDialog::sheetChanged);
    sheetChanged();
}

bool LabelsDialog::customChosen() const
{
    return cboFoglio->currentData().toString() == Custom;
}

LabelsDialog::Which LabelsDialog::which() const
{
    return optHits->isChecked() ? Which::Hits : optAgenda->isChecked() ? Which::Agenda : Which::Shown;
}

bool LabelsDialog::homeAddress() const
{
    return address->home();
}

LabelSheet LabelsDialog::sheet() const
{
    if (!customChosen()) {
        const auto &sheets = labelSheets();
        const int index = cboFoglio->currentIndex();
        return index >= 0 && index < static_cast<int>(sheets.size()) ? sheets[static_cast<size_t>(index)]
                                                                     : LabelSheet{};
    }
    LabelSheet custom;
    custom.columns = spnColonne->value();
    custom.rows = spnRighe->value();
    custom.label = QSizeF(spnMisure[0]->value(), spnMisure[1]->value());
    custom.top = spnMisure[2]->value();
    custom.left = spnMisure[3]->value();
    custom.horizontalPitch = spnMisure[4]->value();
    custom.verticalPitch = spnMisure[5]->value();
    // Read back from its text, so that the sheet has the name and id the layouts give a custom one.
    return labelSheet(customSheetText(custom)).value_or(custom);
}

int LabelsDialog::startPosition() const
{
    return spnInizio->value();
}

void LabelsDialog::showMeasures(const LabelSheet &sheet)
{
    spnColonne->setValue(sheet.columns);
    spnRighe->setValue(sheet.rows);
    const std::array<qreal, 6> values{sheet.label.width(), sheet.label.height(), sheet.top, sheet.left,
        sheet.horizontalPitch, sheet.verticalPitch};
    for (size_t i = 0; i < values.size(); ++i)
        spnMisure[i]->setValue(values[i]);
}

void LabelsDialog::sheetChanged()
{
    // A sheet of one's own is easiest measured starting from the one chosen before.
    if (!customChosen())
        showMeasures(sheet());
    fraMisure->setVisible(customChosen());
    updateStart();
    adjustSize();
}

void LabelsDialog::updateStart()
{
    QString error;
    if (customChosen())
        labelSheet(customSheetText(sheet()), &error);
    const LabelSheet chosen = sheet();
    spnInizio->setRange(1, std::max(1, chosen.perSheet()));
    const int position = spnInizio->value() - 1;
    lblInizio->setText(QStringLiteral("(riga %1, colonna %2)")
                           .arg(position / std::max(1, chosen.columns) + 1)
                           .arg(position % std::max(1, chosen.columns) + 1));
    lblErrore->setText(error);
    lblErrore->setVisible(!error.isEmpty());
    cmdOK->setEnabled(error.isEmpty());
}

void LabelsDialog::accept()
{
    if (m_memory) {
        m_memory->setValue(SheetKey, customChosen() ? customSheetText(sheet()) : sheet().id);
        address->remember();
        m_memory->setValue(StartKey, startPosition());
    }
    QDialog::accept();
}
