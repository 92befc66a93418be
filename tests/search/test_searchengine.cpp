// The search over the agenda: fields and scopes, case folding, the whole-agenda argument, the tree
// of hits, and the snapshot that must follow every write and agree with the plain rule.
#include "contacts/Recordset.h"
#include "search/SearchEngine.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "tests/support/TestStore.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

Q_DECLARE_METATYPE(Field)

namespace {

Recordset walkOf(ContactStore &store)
{
    Recordset recordset(store);
    if (!recordset.requery())
        qFatal("requery: %s", qPrintable(recordset.lastError()));
    return recordset.clone();
}

QStringList lineTexts(const std::vector<OutlineLine> &lines)
{
    QStringList texts;
    for (const OutlineLine &line : lines)
        texts.append(QString::number(line.level) + QLatin1Char(' ') + line.text);
    return texts;
}

// The surnames of the hits, in the order the search gives them.
QStringList hitNames(const SearchResult &result, ContactStore &store)
{
    QStringList names;
    for (qint64 id : result.hitIds)
        names.append(store.read(id)->text(Field::LastName));
    return names;
}

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT
private slots:
    void fieldsAndScopes_data();
    void fieldsAndScopes();
    void caseFolding_data();
    void caseFolding();
    void nullFields();
    void wholeAgenda_data();
    void wholeAgenda();
    void starSearchedAsText();
    void treeOfHits_data();
    void treeOfHits();
    void firstHitKeepsWideId();
    void snapshotFollowsWrites();
    void preparedReadTakesInLaterWrites();
    void preparedReadStopsWithTheEngine();
    void failureReportedOnce();
    void scanAgreesWithRule_data();
    void scanAgreesWithRule();
};

void TestSearchEngine::fieldsAndScopes_data()
{
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("foundWithScopes");

    QTest::newRow("LastName") << Field::LastName << "0123";
    QTest::newRow("FirstName") << Field::FirstName << "0123";
    QTest::newRow("Cellulare") << Field::Cellulare << "0123";
    QTest::newRow("Azienda") << Field::Azienda << "012";
    QTest::newRow("WorkProv") << Field::WorkProv << "012";
    QTest::newRow("WorkFax") << Field::WorkFax << "012";
    QTest::newRow("WorkPhone") << Field::WorkPhone << "012";
    QTest::newRow("WorkCity") << Field::WorkCity << "012";
    QTest::newRow("WorkAddress") << Field::WorkAddress << "012";
    QTest::newRow("WorkPostalCode") << Field::WorkPostalCode << "012";
    QTest::newRow("Internet") << Field::Internet << "012";
    QTest::newRow("www") << Field::www << "012";
    QTest::newRow("HomeProv") << Field::HomeProv << "013";
    QTest::newRow("HomeFax") << Field::HomeFax << "013";
    QTest::newRow("HomePhone") << Field::HomePhone << "013";
    QTest::newRow("HomeCity") << Field::HomeCity << "013";
    QTest::newRow("HomeAddress") << Field::HomeAddress << "013";
    QTest::newRow("HomePostalCode") << Field::HomePostalCode << "013";
    QTest::newRow("Note") << Field::Note << "0";
}

void TestSearchEngine::fieldsAndScopes()
{
    QFETCH(Field, field);
    QFETCH(QString, foundWithScopes);

    TestStore test;
    test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::Note, QStringLiteral("nulla")}});
    ContactRecord record = makeRecord(
        {{Field::LastName, QStringLiteral("Bianchi")}, {Field::FirstName, QStringLiteral("Anna")},
            {Field::WorkCity, QStringLiteral("Milano")}, {Field::HomeCity, QStringLiteral("Torino")}});
    record.setValue(field, record.text(field) + QStringLiteral("xq7"));
    const qint64 id = test.add(record);
    test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));

    SearchEngine engine;
    const Recordset walk = walkOf(test.store());
    for (int scope = 0; scope < 4; ++scope) {
        const bool expected = foundWithScopes.contains(QString::number(scope));
        const SearchResult result = engine.search(walk, QStringLiteral("XQ7"), true, scope);
        QCOMPARE(result.hitIds, expected ? std::vector<qint64> {id} : std::vector<qint64> {});
        QCOMPARE(recordMatches(record, QStringLiteral("XQ7"), true, scope), expected);
    }
}

void TestSearchEngine::caseFolding_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("rossi ignoring case") << "rossi" << true << QStringList {"rossi", "Rossi", "ROSSI"};
    QTest::newRow("rossi with case") << "rossi" << false << QStringList {"rossi"};
    QTest::newRow("Rossi with case") << "Rossi" << false << QStringList {"Rossi"};
    QTest::newRow("accented ignoring case") << "nicolò" << true << QStringList {"Nicolò", "NICOLÒ"};
    QTest::newRow("accented with case") << "NICOLÒ" << false << QStringList {"NICOLÒ"};
    QTest::newRow("unaccented is another letter") << "nicolo" << true << QStringList {"Nicolo"};
    QTest::newRow("sharp s folds to SS") << "straße" << true << QStringList {"Strasse"};
    QTest::newRow("inner text") << "OSS" << true << QStringList {"Rossi", "ROSSI", "rossi"};
}

void TestSearchEngine::caseFolding()
{
    QFETCH(QString, typed);
    QFETCH(bool, ignoreCase);
    QFETCH(QStringList, expected);

    TestStore test;
    // A text that grows when upper-cased sits before the searched fields of other rows.
    for (const char *surname : {"Rossi", "ROSSI", "rossi", "Nicolò", "NICOLÒ", "Nicolo", "Strasse"})
        test.add(
            QString::fromUtf8(surname), QStringLiteral("Carlo"), {{Field::Azienda, QStringLiteral("ßßßß")}});

    SearchState state;
    state.SearchText = typed;
    state.IgnoreCase = ignoreCase;
    SearchEngine engine;
    const SearchResult result = engine.search(walkOf(test.store()), state);
    QStringList found = hitNames(result, test.store());
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    QVERIFY(result.failure.isEmpty());
}

void TestSearchEngine::nullFields()
{
    TestStore test;
    const qint64 empty = test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"),
        {{Field::Cellulare, QStringLiteral("")}, {Field::Note, QStringLiteral("")}});
    test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));

    SearchEngine engine;
    const Recordset walk = walkOf(test.store());
    for (const QString &argument : {QStringLiteral("NULL"), QStringLiteral("\\N"), QStringLiteral("0")}) {
        const SearchResult result = engine.search(walk, argument, true, 0);
        QVERIFY2(result.hitIds.empty(), qPrintable(argument));
        QVERIFY(result.failure.isEmpty());
    }
    const SearchSnapshot &snapshot = engine.snapshot();
    const int row = snapshot.rowOf(empty);
    QVERIFY(row >= 0);
    QCOMPARE(snapshot.value(row, Field::Cellulare), FieldValue(QString()));
    QCOMPARE(snapshot.value(row, Field::Note), FieldValue(QString()));
    QCOMPARE(snapshot.value(row, Field::HomeCity), FieldValue());
    QCOMPARE(snapshot.value(row, Field::LastName), FieldValue(QStringLiteral("Rossi")));
}

void TestSearchEngine::wholeAgenda_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QString>("caption");

    QTest::newRow("star") << "*" << true << true << "Rubrello - Tutta l'agenda";
    QTest::newRow("empty") << "" << true << true << "Rubrello - Tutta l'agenda";
    QTest::newRow("empty with case") << "" << false << true << "Rubrello - Tutta l'agenda";
    QTest::newRow("letter and star") << "a*" << true << false << "Rubrello - ( A* )";
    QTest::newRow("blank and star") << " *" << true << false << "Rubrello - (  * )";
    QTest::newRow("two stars") << "**" << true << false << "Rubrello - ( ** )";
    QTest::newRow("upper-cased") << "rossi" << true << false << "Rubrello - ( ROSSI )";
    QTest::newRow("as typed") << "rossi" << false << false << "Rubrello - ( rossi )";
    QTest::newRow("accented") << "nicolò" << true << false << "Rubrello - ( NICOLÒ )";
}

void TestSearchEngine::wholeAgenda()
{
    QFETCH(QString, typed);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, whole);
    QFETCH(QString, caption);

    SearchState state;
    state.SearchText = typed;
    state.IgnoreCase = ignoreCase;
    const QString argument = searchArgument(state);
    QCOMPARE(isWholeAgenda(argument), whole);
    QCOMPARE(whole ? wholeAgendaCaption() : searchCaption(argument), caption);
}

void TestSearchEngine::starSearchedAsText()
{
    TestStore test;
    test.add(
        QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::Note, QStringLiteral("voto a* pieno")}});
    test.add(
        QStringLiteral("Verdi"), QStringLiteral("Anna"), {{Field::Note, QStringLiteral("voto a pieno")}});
    test.add(QStringLiteral("Neri"), QStringLiteral("Ada"), {{Field::Note, QStringLiteral("ahi *")}});

    SearchEngine engine;
    const Recordset walk = walkOf(test.store());
    QCOMPARE(
        hitNames(engine.search(walk, QStringLiteral("A*"), true, 0), test.store()), QStringList {"Rossi"});
    QCOMPARE(
        hitNames(engine.search(walk, QStringLiteral(" *"), true, 0), test.store()), QStringList {"Neri"});
}

void TestSearchEngine::treeOfHits_data()
{
    QTest::addColumn<QStringList>("surnames");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("Bianchi, Bruni, Verdi") << QStringList {"Verdi", "Bruni", "Rossi", "Bianchi",
        "Neri"} << QStringList {"1 B", "2 Bianchi, Anna", "2 Bruni, Anna", "1 V", "2 Verdi, Anna"};
    QTest::newRow("lower-case surname under its capital") << QStringList {"bruni", "Bianchi",
        "Verdi"} << QStringList {"1 B", "2 Bianchi, Anna", "2 bruni, Anna", "1 V", "2 Verdi, Anna"};
    // The record source sorts without accents, so the letter changes twice.
    QTest::newRow("accented initial") << QStringList {"Ercoli", "èrcole",
        "Erba"} << QStringList {"1 E", "2 Erba, Anna", "1 È", "2 èrcole, Anna", "1 E", "2 Ercoli, Anna"};
    QTest::newRow("no hit") << QStringList {"Rossi"} << QStringList {};
}

void TestSearchEngine::treeOfHits()
{
    QFETCH(QStringList, surnames);
    QFETCH(QStringList, lines);

    TestStore test;
    // Every surname but Rossi and Neri holds the argument; one of them matches in two fields.
    for (const QString &surname : surnames) {
        const bool hit = surname != QLatin1String("Rossi") && surname != QLatin1String("Neri");
        test.add(surname, QStringLiteral("Anna"),
            {{Field::Note, hit ? QStringLiteral("cliente") : QStringLiteral("fornitore")},
                {Field::Azienda, hit ? QStringLiteral("Clienti Srl") : QStringLiteral("Altro")}});
    }
    SearchEngine engine;
    const SearchResult result = engine.search(walkOf(test.store()), QStringLiteral("CLIENT"), true, 0);
    QCOMPARE(lineTexts(result.lines), lines);
    QCOMPARE(result.hitIds.size(),
        static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(), [](const QString &l) { return l[0] == '2'; })));
    QCOMPARE(result.firstHitId, result.hitIds.empty() ? 0 : result.hitIds.front());
}

void TestSearchEngine::firstHitKeepsWideId()
{
    TestStore test;
    test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"), {{Field::Note, QStringLiteral("amico")}});
    runSqlElsewhere(test.path(),
        {QStringLiteral("INSERT INTO PhoneList (ID, LastName, FirstName, Note) "
                       "VALUES (5000000000, 'Bianchi', 'Anna', 'amica')")});
    SearchEngine engine;
    const SearchResult result = engine.search(walkOf(test.store()), QStringLiteral("AMIC"), true, 0);
    QCOMPARE(result.firstHitId, Q_INT64_C(5000000000));
    QCOMPARE(result.hitIds.size(), std::size_t(2));
}

void TestSearchEngine::snapshotFollowsWrites()
{
    TestStore test;
    const qint64 rossi = test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    SearchEngine engine;
    QVERIFY(engine.search(walkOf(test.store()), QStringLiteral("ROMA"), true, 0).hitIds.empty());

    ContactRecord changed = *test.store().read(rossi);
    changed.setValue(Field::HomeCity, QStringLiteral("Roma"));
    QVERIFY(test.store().update(changed));
    QCOMPARE(engine.search(walkOf(test.store()), QStringLiteral("ROMA"), true, 0).hitIds,
        std::vector<qint64> {rossi});

    const qint64 verdi = test.add(
        QStringLiteral("Verdi"), QStringLiteral("Luca"), {{Field::WorkCity, QStringLiteral("Roma")}});
    QCOMPARE(engine.search(walkOf(test.store()), QStringLiteral("ROMA"), true, 0).hitIds,
        (std::vector<qint64> {rossi, verdi}));

    // A walk taken before a delete still names the deleted row; it is no hit any more.
    const Recordset stale = walkOf(test.store());
    QVERIFY(test.store().remove(rossi));
    QCOMPARE(engine.search(stale, QStringLiteral("ROMA"), true, 0).hitIds, std::vector<qint64> {verdi});
}

// The read started while the user types is taken over by the search, and whatever was written
// meanwhile is found as well.
void TestSearchEngine::preparedReadTakesInLaterWrites()
{
    TestStore test;
    for (int i = 0; i < 200; ++i)
        test.add(QStringLiteral("Rossi%1").arg(i), QStringLiteral("Mario"), {{Field::HomeCity, QStringLiteral("Roma")}});
    SearchEngine engine;
    engine.prepare(walkOf(test.store()));
    const qint64 verdi = test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"), {{Field::WorkCity, QStringLiteral("Roma")}});
    ContactRecord first = *test.store().read(1);
    first.setValue(Field::HomeCity, QStringLiteral("Milano"));
    QVERIFY(test.store().update(first));

    const SearchResult result = engine.search(walkOf(test.store()), QStringLiteral("ROMA"), true, 0);
    QCOMPARE(result.hitIds.size(), std::size_t(200));
    QVERIFY(std::find(result.hitIds.begin(), result.hitIds.end(), verdi) != result.hitIds.end());
    QVERIFY(std::find(result.hitIds.begin(), result.hitIds.end(), qint64(1)) == result.hitIds.end());
    QVERIFY(engine.snapshot().isCurrent(test.store()));

}

void TestSearchEngine::preparedReadStopsWithTheEngine()
{
    TestStore test;
    {
        ContactStore::Batch batch(test.store());
        for (int i = 0; i < 20000; ++i)
            test.add(QStringLiteral("Rossi%1").arg(i), QStringLiteral("Mario"), {{Field::Note, QString(200, QLatin1Char('x'))}});
        QVERIFY(batch.commit());
    }
    for (int round = 0; round < 5; ++round) {
        SearchEngine engine;
        engine.prepare(walkOf(test.store()));
    }
    // The store is still usable by everyone afterwards.
    SearchEngine engine;
    QCOMPARE(engine.search(walkOf(test.store()), QStringLiteral("ROSSI1999"), true, 0).hitIds.size(), std::size_t(11));
}

void TestSearchEngine::failureReportedOnce()
{
    TestStore test;
    for (int i = 0; i < 50; ++i)
        test.add(QStringLiteral("Rossi%1").arg(i), QStringLiteral("Mario"));
    const Recordset walk = walkOf(test.store());
    runSqlElsewhere(test.path(), {QStringLiteral("ALTER TABLE PhoneList RENAME TO Damaged")});

    SearchEngine engine;
    const SearchResult result = engine.search(walk, QStringLiteral("ROSSI"), true, 0);
    QVERIFY(result.hitIds.empty());
    QVERIFY(result.lines.empty());
    const QString prefix = QStringLiteral("Impossibile leggere i contatti per la ricerca: ");
    QVERIFY2(result.failure.startsWith(prefix), qPrintable(result.failure));
    QVERIFY2(result.failure.contains(QStringLiteral("PhoneList")), qPrintable(result.failure));
}

// The one-pass scan must find exactly what the plain per-field rule finds, also where upper-casing
// changes the length of a text or an occurrence would straddle two fields.
void TestSearchEngine::scanAgreesWithRule_data()
{
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("upper case lengthens some texts")
        << QStringList {"a", "A", "b", "ß", "SS", "s", "à", "À", "ǰ", "ﬀ", "𐐨", "𐐀", " ", "*", "o", "ò", "ı", "ᾈ", "ǅ", "ĸ", "ɐ"};
    // Every text keeps its length: the fields keep their places in the folded copy.
    QTest::newRow("upper case keeps every length")
        << QStringList {"a", "A", "b", "s", "à", "À", "é", "𐐨", "𐐀", " ", "*", "o", "ò", "ÿ"};
}

void TestSearchEngine::scanAgreesWithRule()
{
    QFETCH(const QStringList, pieces);
    QRandomGenerator random(20240611);
    auto randomText = [&](int longest) {
        QString text;
        const int count = random.bounded(longest + 1);
        for (int i = 0; i < count; ++i)
            text += pieces[random.bounded(int(pieces.size()))];
        return text;
    };

    TestStore test;
    std::vector<ContactRecord> records;
    {
        ContactStore::Batch batch(test.store());
        for (int r = 0; r < 300; ++r) {
            ContactRecord record;
            for (const SearchField &info : SearchFields) {
                if (random.bounded(4) != 0)
                    record.setValue(info.field, randomText(4));
            }
            record.id = test.add(record);
            records.push_back(record);
        }
        QVERIFY(batch.commit());
    }

    SearchSnapshot snapshot;
    QString error;
    QVERIFY(snapshot.refresh(test.store(), &error));
    QCOMPARE(snapshot.rowCount(), 300);
    for (int round = 0; round < 200; ++round) {
        const bool ignoreCase = random.bounded(2) == 1;
        const int scope = random.bounded(4);
        const QString argument = FoldCase(randomText(3), ignoreCase);
        const std::vector<bool> matches = snapshot.matchingRows(argument, ignoreCase, scope);
        for (const ContactRecord &record : records) {
            const int row = snapshot.rowOf(record.id);
            QVERIFY2(matches[row] == recordMatches(record, argument, ignoreCase, scope),
                qPrintable(QStringLiteral("argument \"%1\" scope %2 case %3 id %4")
                               .arg(argument)
                               .arg(scope)
                               .arg(ignoreCase)
                               .arg(record.id)));
        }
    }
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "test_searchengine.moc"
