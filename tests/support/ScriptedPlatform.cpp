#include "tests/support/ScriptedPlatform.h"

namespace {

// Lines go into the platform's documents once the job finishes without a failure.
class RecordingPrintJob : public PrintJob
{
public:
    explicit RecordingPrintJob(ScriptedPlatform &platform)
        : m_platform(platform)
    {
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
    QString finish() override
    {
        if (m_platform.printFailure.isEmpty())
            m_platform.documents.append(m_documents);
        return m_platform.printFailure;
    }

private:
    ScriptedPlatform &m_platform;
    QList<ScriptedPlatform::Document> m_documents;
    bool m_open = false;
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
    return std::make_unique<RecordingPrintJob>(*this);
}

void ScriptedPlatform::runModal(QDialog &)
{
    qFatal("A form was shown by code that should show none");
}
