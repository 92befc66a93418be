#include "ui/forms/Form1.h"

#include "ui/controls/WindowPlacement.h"

#include "dial/DialOptions.h"
#include "dial/NumberRules.h"
#include "platform/DataLocation.h"
#include "platform/InstalledFiles.h"
#include "platform/Platform.h"
#include "ui/forms/Form1Messages.h"

#include <QCloseEvent>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const std::array<QString, DialEntryCount> buttonTips
    = {QStringLiteral("Chiama al lavoro"), QStringLiteral("Chiama a casa"),
        QStringLiteral("Chiama FAX lavoro"), QStringLiteral("Chiama FAX casa"), QString()};
const QString mobileTip = QStringLiteral("Chiama cellulare");
const QString callPicture = QStringLiteral(":/icons/dial-call.svg");

} // namespace

Form1::Form1(Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Rubrello - Chiamata telefonica"));
    // Shown without waiting, yet the main window must not be used until the dialog has gone.
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
}

void Form1::buildControls()
{
    Frame3D1 = new QGroupBox(QStringLiteral("Scelta numero da chiamare "), this);
    Frame3D1->setObjectName(QStringLiteral("Frame3D1"));
    auto *rows = new QGridLayout(Frame3D1);
    const int panelWidth = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 28;
    for (int k = 0; k < DialEntryCount; ++k) {
        auto *button = new QPushButton(Frame3D1);
        button->setObjectName(QStringLiteral("Command3D1_%1").arg(k));
        if (QFile::exists(callPicture)) {
            button->setIcon(QIcon(callPicture));
            button->setIconSize(QSize(24, 24));
        } else {
            button->setText(QStringLiteral("Chiama")); // a build without its pictures still shows the button
        }
        button->setToolTip(buttonTips[k]);
        button->setAccessibleName(k == MobileEntry ? mobileTip : buttonTips[k]);
        connect(button, &QPushButton::clicked, this, [this, k] { Command3D1_Click(k); });
        Command3D1[k] = button;

        auto *panel = new QLabel(Frame3D1);
        panel->setObjectName(QStringLiteral("Panel3D1_%1").arg(k));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(panelWidth);
        panel->setMinimumHeight(button->sizeHint().height());
        panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        Panel3D1[k] = panel;

        rows->addWidget(button, k, 0);
        rows->addWidget(panel, k, 1);
    }
    Panel3D1[MobileEntry]->setToolTip(mobileTip);
    rows->addWidget(new QLabel(QStringLiteral("Fax"), Frame3D1), WorkFaxEntry, 2);
    rows->addWidget(new QLabel(QStringLiteral("Fax"), Frame3D1), HomeFaxEntry, 2);
    rows->addWidget(new QLabel(QStringLiteral("Cellulare"), Frame3D1), MobileEntry, 2);
    rows->setColumnStretch(1, 1);

    Frame3D2 = new QGroupBox(QStringLiteral("Opzioni:"), this);
    Frame3D2->setObjectName(QStringLiteral("Frame3D2"));
    auto *options = new QFormLayout(Frame3D2);
    Text1 = new QLineEdit(Frame3D2);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2 = new QLineEdit(Frame3D2);
    Text2->setObjectName(QStringLiteral("Text2"));
    options->addRow(QStringLiteral("Prefisso:"), Text1);
    options->addRow(QStringLiteral("Uscita per centralino:"), Text2);

    Command3D2 = new QPushButton(QStringLiteral("&Annulla"), this);
    Command3D2->setObjectName(QStringLiteral("Command3D2"));
    connect(Command3D2, &QPushButton::clicked, this, &Form1::Command3D2_Click);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Command3D2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame3D1);
    layout->addWidget(Frame3D2);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString Form1::dialerProgram(const QString &programDir)
{
    return dialerProgramFile(programDir);
}

void Form1::Form_Load(const DialSources &sources)
{
    m_programDir = sources.programDir;
    readOptions();
    centreOnScreen();
    Frame3D1->setTitle(
        QStringLiteral("Chiama : ") + trimBlanks(sources.lastName) + u' ' + trimBlanks(sources.firstName));

    DialStringArray &dial = DialStrings();
    for (int k = 0; k < DialEntryCount; ++k)
        dial[k] = dialString(sources.numbers[k], Text1->text(), Text2->text());

    bool anyNumber = false;
    for (int k = 0; k < DialEntryCount; ++k) {
        const bool usable = !dial[k].isEmpty();
        Panel3D1[k]->setText(dial[k]);
        Panel3D1[k]->setEnabled(usable);
        Command3D1[k]->setEnabled(usable);
        anyNumber = anyNumber || usable;
    }
    if (!anyNumber)
        m_platform.showMessage(noNumberMessage(), MessageIcon::Question);
}

void Form1::readOptions()
{
    const DataFileLocation location = locateDataFile(m_programDir, optionsFileName(), true);
    m_optionsPath = location.path;
    const OptionsFileRead read = readOptionsFile(m_optionsPath);
    if (!read.ok) {
        // The boxes stay empty; the file itself is left alone until the dialog closes.
        showOptionsFileError();
        return;
    }
    const DialOptions options = readDialOptions(read.text.lines);
    Text1->setText(options.prefix);
    Text2->setText(options.outsideLine);
}

void Form1::centreOnScreen()
{
    adjustSize();
    ::centreOnScreen(*this, m_platform.screenSize());
}

void Form1::Command3D1_Click(int index)
{
    // The number goes to the dialer as its argument: nothing is typed into whatever window is active.
    if (!m_platform.startProgram(dialerProgram(m_programDir), {DialStrings()[index]}))
        m_platform.showMessage(dialerMissingMessage(), MessageIcon::Information);
}

void Form1::Command3D2_Click()
{
    saveOptions();
    close();
}

void Form1::reject()
{
    Command3D2_Click();
}

void Form1::saveOptions()
{
    if (m_optionsSaved)
        return;
    m_optionsSaved = true;
    // After the last failed attempt the dialog closes all the same: the old file is still whole, and
    // the user is not held in front of a message that keeps coming back.
    saveDialOptions(
        m_optionsPath, Text1->text(), Text2->text(), optionsFileAttempts, [this] { showOptionsFileError(); });
}

void Form1::showOptionsFileError()
{
    m_platform.showMessage(optionsFileErrorMessage());
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing from the window frame saves the options just like "&Annulla".
    saveOptions();
    event->accept();
    if (!m_closedSignalled) {
        m_closedSignalled = true;
        emit closed();
    }
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Enter in an option box only ends the typing; it must not dial the number whose button is default.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && qobject_cast<QLineEdit *>(focusWidget())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
