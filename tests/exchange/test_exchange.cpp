// Contacts through the agenda and out again: every fixture's properties come back, an edited box
// changes only its own property, a second import doubles nothing, a bad file leaves nothing behind,
// a CSV export brings the whole agenda into an empty one, and what fills no box reads as words.
#include "contacts/SqliteRows.h"
#include "csv/CsvHeaders.h"
#include "exchange/CardDescription.h"
#include "exchange/CardProperties.h"
#include "exchange/ContactExport.h"
#include "exchange/ContactImport.h"
#include "exchange/FileSources.h"
#include "history/UndoHistory.h"
#include "tests/support/TestStore.h"
#include "vcard/VCardReader.h"

#include <QBuffer>
#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Fixtures = QStringLiteral(RUBRELLO_TEST_DATA "/vcard/");

QList<VCard> readCards(QIODevice &device, QString *error = nullptr)
{
    VCardReader reader(&device);
    QList<VCard> cards;
    VCard card;
    while (reader.next(&card))
        cards.append(card);
    if (error)
        *error = reader.error();
    return cards;
}

QList<VCard> readCards(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return readCards(file);
}

QByteArray exported(const ContactStore &store, ExportFormat format)
{
    QString error;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const ExportResult result = exportContacts(store, agendaIds(store, &error), format, out);
    return result.failure.isEmpty() ? out.data() : QByteArray();
}

ImportResult importFile(ContactStore &store, const QString &path, KnownContacts known = KnownContacts::Skip)
{
    VCardFileSource source(path);
    return importContacts(store, source, known, path);
}

QStringList rows(const ContactStore &store)
{
    QStringList all;
    bool ok = false;
    for (const ContactRecord &record : store.readAll(&ok)) {
        QStringList fields;
        for (const FieldInfo &info : Fields) {
            if (info.field != Field::ID)
                fields.append(record.value(info.field).value_or(u"<null>"_s));
        }
        all.append(fields.join(u'|'));
    }
    all.sort();
    return all;
}

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT
private slots:
    // Every property a fixture's contact came with is in its export, as 3.0 and as 4.0; the card
    // shows its names and numbers.
    void fixturesComeBackWhole_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &file : QDir(Fixtures).entryList({u"*.vcf"_s}))
            QTest::newRow(qPrintable(file)) << file;
    }
    void fixturesComeBackWhole()
    {
        QFETCH(QString, file);
        TestStore files;
        const ImportResult result = importFile(files.store(), Fixtures + file);
        QVERIFY2(result.failure.isEmpty(), qPrintable(result.failure));
        const QList<VCard> original = readCards(Fixtures + file);
        QCOMPARE(result.added, original.size());
        for (const ContactRecord &record : files.store().readAll())
            QVERIFY2(!record.value(Field::LastName).value_or(QString()).isEmpty(), qPrintable(file));
        for (const ExportFormat format : {ExportFormat::VCard3, ExportFormat::VCard4}) {
            QByteArray bytes = exported(files.store(), format);
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            QString error;
            const QList<VCard> back = readCards(buffer, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(back.size(), original.size());
            // The agenda's order is not the file's: each card is looked for among the exported.
            for (const VCard &card : original) {
                const bool found = std::any_of(back.begin(), back.end(), [&](const VCard &out) {
                    return std::all_of(card.properties.begin(), card.properties.end(),
                        [&](const VCardProperty &property) { return out.properties.contains(property); });
                });
                QVERIFY2(found, qPrintable(file + u": a card lost a property"_s));
            }
        }
    }

    // A box edited in the program rewrites its own property, and only that one.
    void editedBoxRewritesItsProperty()
    {
        TestStore files;
        QVERIFY(importFile(files.store(), Fixtures + u"gmail-single.vcf"_s).failure.isEmpty());
        ContactRecord record = files.store().readAll().front();
        const QList<KeptProperty> before = readCardProperties(files.store().connection(), record.id);
        record.setValue(Field::Cellulare, u"333 1234567"_s);
        record.setValue(Field::LastName, u"Rossi"_s);
        QVERIFY(files.store().update(record));
        QByteArray bytes = exported(files.store(), ExportFormat::VCard3);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const VCard card = readCards(buffer).value(0);
        int changed = 0;
        for (const KeptProperty &kept : before) {
            if (!card.properties.contains(kept.property)) {
                ++changed;
                QVERIFY2(kept.role == CardRole::Mobile || kept.role == CardRole::Name,
                    qPrintable(kept.property.name));
            }
        }
        QVERIFY(changed >= 1);
        QVERIFY(card.first(u"N")->components().value(0) == u"Rossi"_s);
        QVERIFY(bytes.contains("333 1234567"));
    }

    // A file imported twice brings its contacts in once: skipped, or updated. Each import is one
    // step of the undo history, kept properties included.
    void knownContactsAreNotDoubled()
    {
        TestStore files;
        const QString file = Fixtures + u"John_Doe_ANDROID.vcf"_s;
        const int count = importFile(files.store(), file).added;
        const QByteArray imported = exported(files.store(), ExportFormat::VCard4);
        VCardFileSource source(file);
        const ImportPreview preview = previewImport(files.store(), source);
        QCOMPARE(preview.fresh, 0);
        QCOMPARE(preview.present, count);
        QCOMPARE(importFile(files.store(), file).skipped, count);
        QCOMPARE(importFile(files.store(), file, KnownContacts::Update).updated, count);
        QCOMPARE(files.store().count(), count);

        QVERIFY(undoStep(files.store()).ok()); // the update
        QCOMPARE(exported(files.store(), ExportFormat::VCard4), imported);
        QCOMPARE(undoStep(files.store()).label, u"l'importazione di \"John_Doe_ANDROID.vcf\""_s);
        QCOMPARE(files.store().count(), 0);
        QVERIFY(redoStep(files.store()).ok());
        QCOMPARE(exported(files.store(), ExportFormat::VCard4), imported);
    }

    // A contact is known by its names however spelt or ordered, with a number however written or
    // an address however cased; a mobile is no landline of the same digits.
    void knownByOtherSpellings()
    {
        TestStore files;
        files.add(u"Dell'Acqua"_s, u"Nicolò"_s, {{Field::WorkPhone, u"02 1234567"_s}});
        files.add(u"Rossi"_s, u"Anna"_s, {{Field::Internet, u"Anna.Rossi@Example.it"_s}});
        files.add(u"Verdi"_s, u"Luca"_s, {{Field::HomePhone, u"0345 1234567"_s}});
        const QString file = files.directory() + u"/rubrica.vcf"_s;
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dellacqua;Nicolo;;;\r\nTEL:0039 02/1234567\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Anna;Rossi;;;\r\nEMAIL:anna.rossi@example.IT\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Verdi;Luca;;;\r\nTEL;TYPE=CELL:+39 345 "
            "1234567\r\nEND:VCARD\r\n");
        out.close();
        VCardFileSource source(file);
        const ImportPreview preview = previewImport(files.store(), source);
        QCOMPARE(preview.present, 2);
        QCOMPARE(preview.fresh, 1);
    }

    // Files read in parts (an import reads ahead on a thread, an export reads the agenda a thousand
    // contacts at a time) behave as one: a failure near the end stores nothing and names its line,
    // the export keeps the agenda's order, and a cancelled export leaves its file as it was.
    void largeFilesInParts()
    {
        TestStore files;
        QTemporaryDir dir;
        QByteArray cards;
        for (int i = 0; i < 3000; ++i)
            cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Rossi" + QByteArray::number(2999 - i)
                + ";Mario\r\nEND:VCARD\r\n";
        const QString path = dir.filePath(u"agenda.vcf"_s);
        const auto write = [](const QString &file, const QByteArray &bytes) {
            QFile out(file);
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        };
        QVERIFY(write(path, cards + "BEGIN:VCARD\r\nVERSION:3.0\r\nBEGIN:VCARD\r\n"));
        const ImportResult bad = importFile(files.store(), path);
        QVERIFY2(bad.failure.contains(u"riga 12003"_s), qPrintable(bad.failure));
        QCOMPARE(files.store().count(), 0);

        QVERIFY(write(path, cards));
        QCOMPARE(importFile(files.store(), path).added, 3000);
        QString error;
        const std::vector<qint64> ids = agendaIds(files.store(), &error);
        QHash<qint64, QString> lastNames;
        for (const ContactRecord &record : files.store().readAll())
            lastNames.insert(record.id, record.text(Field::LastName));
        QByteArray out = exported(files.store(), ExportFormat::VCard3);
        QBuffer buffer(&out);
        buffer.open(QIODevice::ReadOnly);
        const QList<VCard> back = readCards(buffer);
        QCOMPARE(back.size(), 3000);
        for (int i = 0; i < 3000; ++i)
            QCOMPARE(back[i].first(u"N")->components().value(0), lastNames.value(ids[size_t(i)]));

        const QString kept = dir.filePath(u"kept.vcf"_s);
        QVERIFY(write(kept, "prima"));
        const ExportResult cancelled
            = exportContactsToFile(files.store(), ids, ExportFormat::Csv, kept, [](int) { return false; });
        QVERIFY(cancelled.cancelled);
        QFile file(kept);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("prima"));
    }

    // A table of kept properties made before they had search texts gets them on the next import.
    void olderTableGetsSearchTexts()
    {
        TestStore files;
        const qint64 id = files.add(u"Gialli"_s, u"Eva"_s);
        sqlite3 *db = files.store().connection();
        QVERIFY(runStatement(db,
            "CREATE TABLE RubrelloCardProperties (ID INTEGER PRIMARY KEY, Roles TEXT NOT NULL, Lines TEXT "
            "NOT NULL)",
            nullptr));
        SqliteRows row(
            db, "INSERT INTO RubrelloCardProperties VALUES (?, char(10), 'NICKNAME:Zorro' || char(10))");
        row.bind(1, id);
        QVERIFY(row.run());
        const auto found = [db](const QString &typed, bool ignoreCase) {
            const OtherMatches matches = *contactsWithOtherText(db, searchQuery(typed, ignoreCase, 0));
            return ignoreCase ? matches.words.at(0) : matches.whole;
        };
        QVERIFY(found(u"zorro"_s, true).empty());
        QString error;
        QVERIFY2(ensureCardPropertiesTable(db, &error), qPrintable(error));
        QVERIFY(found(u"zorró"_s, true).contains(id));
        QVERIFY(found(u"Zorro"_s, false).contains(id));
        QVERIFY(found(u"ZORRO"_s, false).empty());
    }

    // The agenda exported as CSV comes back whole into an empty agenda.
    void csvRoundTrip()
    {
        TestStore from;
        for (const QString &file : QDir(Fixtures).entryList({u"*.vcf"_s}))
            QVERIFY(importFile(from.store(), Fixtures + file).failure.isEmpty());
        // Two look-alikes (the same names and number) are two contacts of the agenda: both come back.
        for (const QString &note : {u"due\r\nrighe, \"virgolette\""_s, u"l'altro"_s})
            from.add(u"D'Amico"_s, u"Nicolò"_s, {{Field::Note, note}, {Field::HomeFax, u"06 1"_s}});
        QTemporaryDir dir;
        const QString path = dir.filePath(u"agenda.csv"_s);
        QString error;
        QVERIFY(exportContactsToFile(from.store(), agendaIds(from.store(), &error), ExportFormat::Csv, path)
                    .failure.isEmpty());
        QCOMPARE(contactFileKind(path, &error), ContactFileKind::Csv);
        TestStore to;
        QList<QStringList> header;
        QVERIFY(CsvFileSource::firstRows(path, CsvFileSource::guessFormat(path), 1, &header, &error));
        CsvFileSource source(path, CsvFileSource::guessFormat(path), recognizeCsvHeader(header.value(0)));
        const ImportResult result = importContacts(to.store(), source, KnownContacts::Skip, path);
        QVERIFY2(result.failure.isEmpty(), qPrintable(result.failure));
        QCOMPARE(to.store().count(), from.store().count());
        // Every property comes back.
        QByteArray before = exported(from.store(), ExportFormat::VCard4);
        QByteArray after = exported(to.store(), ExportFormat::VCard4);
        QBuffer beforeBuffer(&before), afterBuffer(&after);
        beforeBuffer.open(QIODevice::ReadOnly);
        afterBuffer.open(QIODevice::ReadOnly);
        // A CSV column writes its own spelling of the parameters ("TYPE=cell" for "TYPE=CELL;TYPE=VOICE"
        // in one order or another): the meaning is compared, not the spelling.
        const auto meaning = [](const VCard &card) {
            QStringList properties;
            for (const VCardProperty &property : card.properties) {
                QStringList parameters;
                for (const VCardParameter &parameter : property.parameters) {
                    for (const QString &value : parameter.values)
                        parameters.append(parameter.name + u'=' + value.toLower());
                }
                parameters.sort();
                parameters.removeDuplicates();
                properties.append(property.group + u'.' + property.name + u';' + parameters.join(u';') + u':'
                    + property.value + QString::fromLatin1(property.data.toBase64()));
            }
            return properties;
        };
        QList<QStringList> back;
        for (const VCard &card : readCards(afterBuffer))
            back.append(meaning(card));
        for (const VCard &card : readCards(beforeBuffer)) {
            const QStringList wanted = meaning(card);
            QVERIFY2(std::any_of(back.begin(), back.end(),
                         [&](const QStringList &out) {
                             return std::all_of(wanted.begin(), wanted.end(),
                                 [&](const QString &property) { return out.contains(property); });
                         }),
                qPrintable(wanted.join(u'\n')));
        }
        // And every box holds what it held (a second mobile number must not take the first one's box).
        QCOMPARE(rows(to.store()), rows(from.store()));
    }

    // What a card has no box for reads as words on the Note page, never as vCard text or bytes; what
    // fills a box is not repeated there. The search sees the same text, escapes undone.
    void otherDataReadsNaturally()
    {
        QByteArray text
            = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Rossi;Mario\r\nTEL;TYPE=WORK;TYPE=FAX;TYPE=VOICE:051 1\r\n"
              "BDAY:19800503\r\nNOTE:Roma\\, centro\r\nX-CSV;X-COLUMN=Tessera n.:A\\,12\r\n"
              "PHOTO;ENCODING=b;TYPE=JPEG:"
            + QByteArray(3 * 1024, '\xff').toBase64() + "\r\nEND:VCARD\r\n";
        QBuffer buffer(&text);
        buffer.open(QIODevice::ReadOnly);
        QList<KeptProperty> kept;
        for (const VCardProperty &property : readCards(buffer).value(0).properties)
            kept.append({property.name == u"N" ? CardRole::Name : CardRole::None, property});
        QStringList shown;
        for (const OtherDataLine &line : otherDataLines(kept))
            shown.append(line.label + u": "_s + line.value);
        QCOMPARE(shown,
            (QStringList{u"Telefono (lavoro, fax): 051 1"_s, u"Compleanno: 03/05/1980"_s,
                u"Note: Roma, centro"_s, u"Tessera n.: A,12"_s, u"Foto: immagine JPEG, 3 kB"_s}));
        VCardProperty address{{}, u"ADR"_s, {}, u";;Via Roma\\, 1\\nScala B;Bologna;;40100;"_s, {}};
        QCOMPARE(searchableText(address), u"Via Roma, 1 Scala B Bologna 40100"_s);
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
