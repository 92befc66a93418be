#include "ui/platform/QtPlatform.h"

#include "platform/DataLocation.h"
#include "ui/platform/PrintedPagePainter.h"
#include "ui/platform/QtPrintJob.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QString titleOr(const QString &title)
{
    return title.isEmpty() ? Platform::applicationTitle() : title;
}

QMessageBox::StandardButton standardButton(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

} // namespace

MessageAnswer QtPlatform::messageBox(const MessageRequest &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(titleOr(request.title));
    box.setText(request.text);
    switch (request.icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (request.buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(standardButton(request.defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    }
}

QString QtPlatform::inputBox(const InputRequest &request)
{
    InputBoxDialog dialog(request, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.line()->text();
}

InputBoxDialog::InputBoxDialog(const InputRequest &request, QWidget *parent, FileChooser chooser)
    : QDialog(parent)
    , m_filter(request.fileFilter)
    , m_toWrite(request.fileToWrite)
    , m_chooser(std::move(chooser))
{
    setWindowTitle(titleOr(request.title));
    auto *prompt = new QLabel(request.prompt, this);
    // Long prompts wrap instead of stretching the box past the screen.
    prompt->setWordWrap(true);
    prompt->setMinimumWidth(420);
    m_line = new QLineEdit(request.defaultText, this);
    m_line->setObjectName(QStringLiteral("inputLine"));
    m_line->selectAll();

    auto *row = new QHBoxLayout;
    row->addWidget(m_line, 1);
    if (!m_filter.isEmpty()) {
        m_browse = new QPushButton(QStringLiteral("Sfoglia…"), this);
        m_browse->setObjectName(QStringLiteral("browseButton"));
        // Enter in the line answers the box; it must not open the chooser instead.
        m_browse->setAutoDefault(false);
        connect(m_browse, &QPushButton::clicked, this, &InputBoxDialog::chooseFile);
        row->addWidget(m_browse);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(row);
    layout->addWidget(buttons);
    m_line->setFocus();
}

void InputBoxDialog::chooseFile()
{
    const QString chosen = m_chooser ? m_chooser(this, startFolder(), m_filter)
        : m_toWrite
        ? QFileDialog::getSaveFileName(this, QStringLiteral("Salva come"), startFolder(), m_filter)
        : QFileDialog::getOpenFileName(this, QStringLiteral("Scegli il file"), startFolder(), m_filter);
    if (chosen.isEmpty())
        return;
    m_line->setText(QDir::toNativeSeparators(chosen));
    m_line->setFocus();
}

QString InputBoxDialog::startFolder() const
{
    const QFileInfo typed(resolveTypedPath(m_line->text()));
    if (typed.isDir())
        return typed.filePath();
    // A file to write starts from the name offered; one to open from its folder.
    if (typed.dir().exists())
        return m_toWrite ? typed.filePath() : typed.path();
    return QDir::homePath();
}

bool QtPlatform::setClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    clipboard->setText(text);
    // Without a clipboard service the text does not stay: reading it back tells.
    return clipboard->text() == text;
}

bool QtPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool QtPlatform::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

std::unique_ptr<PrintJob> QtPlatform::beginPrinting(const QString &documentName)
{
    return beginQtPrinting(*this, documentName, m_memory);
}

std::unique_ptr<PageJob> QtPlatform::beginPagePrinting(const QString &documentName, const QString &note)
{
    return beginQtPagePrinting(*this, documentName, note, m_memory);
}

QSize QtPlatform::screenSize() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

void QtPlatform::runModal(QDialog &dialog)
{
    dialog.exec();
}

void QtPlatform::endProgram()
{
    // Windows vanish now; the event loop ends as soon as control returns to it.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}
