#include "ui/forms/ExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ExportDialog::ExportDialog(bool hitsShown, bool contactShown, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("Esporta contatti"));
    optAgenda = new QRadioButton(QStringLiteral("&Tutta l'agenda"), this);
    optHits = new QRadioButton(QStringLiteral("I contatti trovati dalla &ricerca"), this);
    optShown = new QRadioButton(QStringLiteral("Il contatto &mostrato"), this);
    optAgenda->setObjectName(QStringLiteral("optAgenda"));
    optHits->setObjectName(QStringLiteral("optHits"));
    optShown->setObjectName(QStringLiteral("optShown"));
    optHits->setEnabled(hitsShown);
    optShown->setEnabled(contactShown);
    (hitsShown ? optHits : optAgenda)->setChecked(true);

    cboFormat = new QComboBox(this);
    cboFormat->setObjectName(QStringLiteral("cboFormat"));
    cboFormat->addItem(QStringLiteral("vCard 3.0 (.vcf)"), int(ExportFormat::VCard3));
    cboFormat->addItem(QStringLiteral("vCard 4.0 (.vcf)"), int(ExportFormat::VCard4));
    cboFormat->addItem(QStringLiteral("CSV per fogli di calcolo (.csv)"), int(ExportFormat::Csv));

    txtFile
        = new QLineEdit(QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/contatti.vcf")), this);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    auto *browse = new QPushButton(QStringLiteral("Sfoglia…"), this);
    connect(browse, &QPushButton::clicked, this, &ExportDialog::chooseFile);
    // The file's ending follows the format, until the user names the file.
    connect(cboFormat, &QComboBox::currentIndexChanged, this, [this] {
        const QString ending
            = format() == ExportFormat::Csv ? QStringLiteral(".csv") : QStringLiteral(".vcf");
        QString file = txtFile->text();
        if (file.endsWith(QLatin1String(".vcf")) || file.endsWith(QLatin1String(".csv")))
            txtFile->setText(file.left(file.size() - 4) + ending);
    });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Esporta"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *file = new QHBoxLayout;
    file->addWidget(txtFile);
    file->addWidget(browse);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Formato:"), cboFormat);
    form->addRow(QStringLiteral("File:"), file);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(optAgenda);
    layout->addWidget(optHits);
    layout->addWidget(optShown);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // Room for a whole path in the file's box.
    setMinimumWidth(520);
}

ExportDialog::Which ExportDialog::which() const
{
    return optHits->isChecked() ? Which::Hits : optShown->isChecked() ? Which::Shown : Which::Agenda;
}

ExportFormat ExportDialog::format() const
{
    return static_cast<ExportFormat>(cboFormat->currentData().toInt());
}

QString ExportDialog::path() const
{
    return QDir::fromNativeSeparators(txtFile->text().trimmed());
}

void ExportDialog::chooseFile()
{
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Esporta contatti"), path(),
        format() == ExportFormat::Csv ? QStringLiteral("CSV (*.csv)") : QStringLiteral("vCard (*.vcf)"));
    if (!chosen.isEmpty())
        txtFile->setText(QDir::toNativeSeparators(chosen));
}
