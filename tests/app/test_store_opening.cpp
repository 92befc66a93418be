// The question asked at start-up before an old Access file is moved into the program's store.
#include "app/StoreOpening.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

// Hands out the rows given, as the Jet reader would read them from the old file.
class ListReader : public PhoneListReader
{
public:
    explicit ListReader(QList<ContactRecord> rows) : rows(std::move(rows)) {}
    qint64 rowCount() const override { return rows.size(); }
    bool readRows(const RecordSink &take, QString *) override
    {
        for (const ContactRecord &row : rows) {
            if (!take(row))
                return false;
        }
        return true;
    }
    QList<ContactRecord> rows;
};

} // namespace

class TestStoreOpening : public QObject
{
    Q_OBJECT
private slots:
    void declinedMoveTouchesNothing();
};

void TestStoreOpening::declinedMoveTouchesNothing()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Rubrello.MDB"));
    // Enough of a Jet file for the program to take it for one; only the reader below reads it.
    const QByteArray jet = QByteArray("\x00\x01\x00\x00", 4) + "Standard Jet DB" + QByteArray(2029, 'j');
    writeBytes(store, jet);
    QList<ContactRecord> rows;
    for (const char *name : {"Rossi", "Bianchi", "Verdi"})
        rows.append(makeRecord({{Field::LastName, QString::fromLatin1(name)}}));
    ScriptedPlatform platform;
    platform.messageAnswers.enqueue(MessageAnswer::No);

    const StorePreparation prepared = prepareStoreAsking(platform, store, [&rows](const QString &, QString *) {
        return std::make_unique<ListReader>(rows);
    });
    QCOMPARE(prepared.outcome, StorePreparation::Declined);
    QCOMPARE(platform.messages.size(), 1);
    const MessageRequest &question = platform.messages.first();
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    // The question says what will happen: how many contacts, where they go, where the old file stays.
    for (const QString &part : {QStringLiteral("3 contatti"), QStringLiteral("\"Rubrello.MDB\""),
                                QStringLiteral("\"Rubrello-jet.MDB\""), QStringLiteral("invariato")})
        QVERIFY2(question.text.contains(part), qPrintable(question.text));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Rubrello.MDB")});
    QCOMPARE(fileBytes(store), jet);
}

QTEST_GUILESS_MAIN(TestStoreOpening)
#include "test_store_opening.moc"
