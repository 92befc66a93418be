#include "ui/forms/EnvelopeDialog.h"

#include "ui/forms/AddressChoice.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QString SizeKey = QStringLiteral("printouts/envelopeSize");
const QString AddressKey = QStringLiteral("printouts/envelopeAddress");
const QString SenderKey = QStringLiteral("printouts/sender");
const QString SenderPrintedKey = QStringLiteral("printouts/senderPrinted");

} // namespace

EnvelopeDialog::EnvelopeDialog(QSettings *memory, QWidget *parent)
    : QDialog(parent)
    , m_memory(memory)
{
    setObjectName(QStringLiteral("EnvelopeDialog"));
    setWindowTitle(QStringLiteral("Busta"));

    auto *size = new QGroupBox(QStringLiteral("Formato"), this);
    optDL = new QRadioButton(QStringLiteral("&DL (220 × 110 mm)"), size);
    optC5 = new QRadioButton(QStringLiteral("C&5 (229 × 162 mm)"), size);
    optDL->setObjectName(QStringLiteral("optDL"));
    optC5->setObjectName(QStringLiteral("optC5"));
    const bool c5 = memory && memory->value(SizeKey).toString() == QLatin1String("C5");
    (c5 ? optC5 : optDL)->setChecked(true);
    auto *sizeLayout = new QHBoxLayout(size);
    sizeLayout->addWidget(optDL);
    sizeLayout->addWidget(optC5);
    sizeLayout->addStretch(1);

    address = new AddressChoice(QStringLiteral("Indirizzo del destinatario"), memory, AddressKey, this);

    fraMittente = new QGroupBox(QStringLiteral("Stampare il &mittente"), this);
    fraMittente->setObjectName(QStringLiteral("fraMittente"));
    fraMittente->setCheckable(true);
    fraMittente->setChecked(memory ? memory->value(SenderPrintedKey, true).toBool() : true);
    txtMittente = new QPlainTextEdit(fraMittente);
    txtMittente->setObjectName(QStringLiteral("txtMittente"));
    txtMittente->setTabChangesFocus(true);
    txtMittente->setPlaceholderText(QStringLiteral("Nome\nVia\nCAP Città (PR)"));
    txtMittente->setPlainText(memory ? memory->value(SenderKey).toString() : QString());
    auto *senderLayout = new QVBoxLayout(fraMittente);
    senderLayout->addWidget(txtMittente);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Anteprima"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    connect(buttons, &QDialogButtonBox::accepted, this, &EnvelopeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(size);
    layout->addWidget(address);
    layout->addWidget(fraMittente, 1);
    layout->addWidget(buttons);
    resize(420, 380);
}

EnvelopeSize EnvelopeDialog::size() const
{
    return optC5->isChecked() ? EnvelopeSize::C5 : EnvelopeSize::DL;
}

bool EnvelopeDialog::homeAddress() const
{
    return address->home();
}

QStringList EnvelopeDialog::sender() const
{
    if (!fraMittente->isChecked())
        return {};
    QStringList lines = txtMittente->toPlainText().split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

void EnvelopeDialog::accept()
{
    if (m_memory) {
        m_memory->setValue(SizeKey, size() == EnvelopeSize::C5 ? QStringLiteral("C5") : QStringLiteral("DL"));
        address->remember();
        m_memory->setValue(SenderKey, txtMittente->toPlainText());
        m_memory->setValue(SenderPrintedKey, fraMittente->isChecked());
    }
    QDialog::accept();
}
