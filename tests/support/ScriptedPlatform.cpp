#include "tests/support/ScriptedPlatform.h"

namespace {

// Lines go into the platform's documents once the job finishes without a failure.
class RecordingPrintJob : public PrintJob
{
public:
    RecordingPrintJob(ScriptedPlatform &platform, const QString &documentName)
        : m_platform(platform)
    {
        m_preview.documentName = documentName;
    }
    void printLine(const QString &line) override
    {
        if (!std::exchange(m_open, true))
            m_documents.append(ScriptedPlatform::Document());
        m_documents.last().append(line);
    }
    int linesLeft() const override
    {
        return m_platform.linesPerPage - (m_open ? int(m_documents.last().size()) : 0);
    }
    void endDocument() override { m_open = false; }
    void numberPages() override { m_preview.numbered = true; }
    QString finish() override
    {
        if (!m_platform.printFailure.isEmpty())
            return m_platform.printFailure;
        m_platform.documents.append(m_documents);
        m_preview.boxesBefore = m_platform.messages.size() + m_platform.inputs.size();
        m_platform.previews.append(m_preview);
        return {};
    }

private:
    ScriptedPlatform &m_platform;
    QList<ScriptedPlatform::Document> m_documents;
    ScriptedPlatform::Preview m_preview;
    bool m_open = false;
};

class RecordingPageJob : public PageJob
{
public:
    RecordingPageJob(ScriptedPlatform &platform, const QString &documentName, const QString &note)
        : m_platform(platform)
    {
        m_preview.documentName = documentName;
        m_preview.note = note;
    }
    void beginPage(const QSizeF &paper) override { m_preview.pages.append({paper, {}}); }
    void placeText(qreal x, qreal baseline, qreal pointSize, const QString &text) override
    {
        m_preview.pages.last().texts.append({x, baseline, pointSize, text});
    }
    QString finish() override
    {
        if (!m_platform.printFailure.isEmpty())
            return m_platform.printFailure;
        m_preview.boxesBefore = m_platform.messages.size() + m_platform.inputs.size();
        m_platform.previews.append(m_preview);
        return {};
    }

private:
    ScriptedPlatform &m_platform;
    ScriptedPlatform::Preview m_preview;
};

} // namespace

MessageAnswer ScriptedPlatform::messageBox(const MessageRequest &request)
{
    messages.append(request);
    return messageAnswers.isEmpty() ? request.defaultAnswer : messageAnswers.dequeue();
}

QString ScriptedPlatform::inputBox(const InputRequest &request)
{
    inputs.append(request);
    return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
}

bool ScriptedPlatform::setClipboardText(const QString &text)
{
    if (!clipboardAvailable)
        return false;
    clipboard = text;
    return true;
}

bool ScriptedPlatform::openUrl(const QUrl &url)
{
    openedUrls.append(url);
    return urlOpens;
}

bool ScriptedPlatform::startProgram(const QString &program, const QStringList &arguments)
{
    startedPrograms.append({program, arguments});
    return programStarts;
}

std::unique_ptr<PrintJob> ScriptedPlatform::beginPrinting(const QString &documentName)
{
    printJobs.append(documentName);
    if (!printerChosen)
        return nullptr;
    return std::make_unique<RecordingPrintJob>(*this, documentName);
}

std::unique_ptr<PageJob> ScriptedPlatform::beginPagePrinting(const QString &documentName, const QString &note)
{
    printJobs.append(documentName);
    if (!printerChosen)
        return nullptr;
    return std::make_unique<RecordingPageJob>(*this, documentName, note);
}

void ScriptedPlatform::runModal(QDialog &)
{
    qFatal("A form was shown by code that should show none");
}
