// The search over the agenda: fields and scopes, case folding, the whole-agenda argument, the tree
// of hits, and the snapshot that must follow every write and agree with the plain rule.
#include "contacts/Recordset.h"
#include "search/SearchEngine.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "tests/support/TestStore.h"
#include "tests/text/CaseTable.h"

#include <QRandomGenerator>

namespace {

Recordset walkOf(ContactStore &store)
{
    Recordset recordset(store);
    if (!recordset.requery())
        qFatal("requery: %s", qPrintable(recordset.lastError()));
    return recordset.clone();
}

// The surnames of the hits, in the order the search gives them.
QStringList hitNames(const SearchResult &result, ContactStore &store)
{
    QStringList names;
    for (qint64 id : result.hitIds)
        names.append(store.read(id)->text(Field::LastName));
    return names;
}

QStringList search(ContactStore &store, const QString &argument)
{
    return hitNames(SearchEngine().search(walkOf(store), argument, true, 0), store);
}

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT
private slots:
    void fieldsAndScopes();
    void caseFolding_data();
    void caseFolding();
    void emptyAndNullFields();
    void argument_data() { addCaseRows("search/arguments.tsv", {"typed", "ignoreCase", "caption"}); }
    void argument();
    void treeOfHits_data();
    void treeOfHits();
    void snapshotFollowsWrites();
    void preparedRead();
    void failureReported();
    void scanAgreesWithRule_data();
    void scanAgreesWithRule();
};

void TestSearchEngine::fieldsAndScopes()
{
    // Scope 0 is every field, 1 all but the notes, 2 the work ones, 3 the home ones; names and mobile are in all.
    const std::pair<Field, const char *> scopes[] = {{Field::LastName, "0123"}, {Field::FirstName, "0123"},
        {Field::Cellulare, "0123"}, {Field::Azienda, "012"}, {Field::WorkProv, "012"}, {Field::WorkFax, "012"},
        {Field::WorkPhone, "012"}, {Field::WorkCity, "012"}, {Field::WorkAddress, "012"}, {Field::WorkPostalCode, "012"},
        {Field::Internet, "012"}, {Field::www, "012"}, {Field::HomeProv, "013"}, {Field::HomeFax, "013"},
        {Field::HomePhone, "013"}, {Field::HomeCity, "013"}, {Field::HomeAddress, "013"}, {Field::HomePostalCode, "013"},
        {Field::Note, "0"}};
    for (const auto &[field, found] : scopes) {
        TestStore test;
        test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::Note, QStringLiteral("nulla")}});
        ContactRecord record = makeRecord({{Field::LastName, QStringLiteral("Bianchi")}, {Field::FirstName, QStringLiteral("Anna")},
            {Field::WorkCity, QStringLiteral("Milano")}, {Field::HomeCity, QStringLiteral("Torino")}});
        record.setValue(field, record.text(field) + QStringLiteral("xq7"));
        const qint64 id = test.add(record);
        SearchEngine engine;
        for (int scope = 0; scope < 4; ++scope) {
            const bool expected = QByteArray(found).contains('0' + scope);
            const SearchResult result = engine.search(walkOf(test.store()), QStringLiteral("XQ7"), true, scope);
            QVERIFY2(result.hitIds == (expected ? std::vector<qint64> {id} : std::vector<qint64> {}), qPrintable(fieldName(field)));
            QCOMPARE(recordMatches(record, QStringLiteral("XQ7"), true, scope), expected);
        }
    }
}

void TestSearchEngine::caseFolding_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("rossi ignoring case") << "rossi" << true << QStringList {"ROSSI", "Rossi", "rossi"};
    QTest::newRow("Rossi with case") << "Rossi" << false << QStringList {"Rossi"};
    QTest::newRow("accented ignoring case") << "nicolò" << true << QStringList {"NICOLÒ", "Nicolò"};
    QTest::newRow("accented with case") << "NICOLÒ" << false << QStringList {"NICOLÒ"};
    QTest::newRow("unaccented is another letter") << "nicolo" << true << QStringList {"Nicolo"};
    QTest::newRow("sharp s folds to SS") << "straße" << true << QStringList {"Strasse"};
    QTest::newRow("inner text") << "OSS" << true << QStringList {"ROSSI", "Rossi", "rossi"};
}

void TestSearchEngine::caseFolding()
{
    QFETCH(QString, typed);
    QFETCH(bool, ignoreCase);
    QFETCH(QStringList, expected);
    TestStore test;
    // A text that grows when upper-cased sits before the searched fields of other rows.
    for (const char *surname : {"Rossi", "ROSSI", "rossi", "Nicolò", "NICOLÒ", "Nicolo", "Strasse"})
        test.add(QString::fromUtf8(surname), QStringLiteral("Carlo"), {{Field::Azienda, QStringLiteral("ßßßß")}});
    SearchState state;
    state.SearchText = typed;
    state.IgnoreCase = ignoreCase;
    const SearchResult result = SearchEngine().search(walkOf(test.store()), state);
    QStringList found = hitNames(result, test.store());
    found.sort();
    QCOMPARE(found, expected);
    QVERIFY(result.failure.isEmpty());
}

void TestSearchEngine::emptyAndNullFields()
{
    TestStore test;
    const qint64 empty = test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"),
        {{Field::Cellulare, QStringLiteral("")}, {Field::Note, QStringLiteral("voto a* pieno")}});
    test.add(QStringLiteral("Verdi"), QStringLiteral("Anna"), {{Field::Note, QStringLiteral("voto a pieno")}});
    test.add(QStringLiteral("Neri"), QStringLiteral("Ada"), {{Field::Note, QStringLiteral("ahi *")}});
    for (const QString &argument : {QStringLiteral("NULL"), QStringLiteral("\\N"), QStringLiteral("0")})
        QCOMPARE(search(test.store(), argument), QStringList());
    // A star is plain text but for the whole argument.
    QCOMPARE(search(test.store(), QStringLiteral("A*")), QStringList {"Rossi"});
    QCOMPARE(search(test.store(), QStringLiteral(" *")), QStringList {"Neri"});

    SearchEngine engine;
    engine.search(walkOf(test.store()), QStringLiteral("X"), true, 0);
    const int row = engine.snapshot().rowOf(empty);
    QVERIFY(row >= 0);
    QCOMPARE(engine.snapshot().value(row, Field::Cellulare), FieldValue(QString()));
    QCOMPARE(engine.snapshot().value(row, Field::HomeCity), FieldValue());
    QCOMPARE(engine.snapshot().value(row, Field::LastName), FieldValue(QStringLiteral("Rossi")));
}

void TestSearchEngine::argument()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, ignoreCase);
    QFETCH(QByteArray, caption);
    SearchState state;
    state.SearchText = utf8(typed);
    state.IgnoreCase = ignoreCase == "1";
    const QString argument = searchArgument(state);
    QCOMPARE(isWholeAgenda(argument) ? wholeAgendaCaption() : searchCaption(argument), utf8(caption));
}

void TestSearchEngine::treeOfHits_data()
{
    QTest::addColumn<QStringList>("surnames");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Bianchi, Bruni, Verdi") << QStringList {"Verdi", "Bruni", "Rossi", "Bianchi", "Neri"}
                                           << QStringList {"1 B", "2 Bianchi, Anna", "2 Bruni, Anna", "1 V", "2 Verdi, Anna"};
    QTest::newRow("lower-case surname under its capital") << QStringList {"bruni", "Bianchi", "Verdi"}
                                                          << QStringList {"1 B", "2 Bianchi, Anna", "2 bruni, Anna", "1 V", "2 Verdi, Anna"};
    // The record source sorts without accents, so the letter changes twice.
    QTest::newRow("accented initial") << QStringList {"Ercoli", "èrcole", "Erba"}
                                      << QStringList {"1 E", "2 Erba, Anna", "1 È", "2 èrcole, Anna", "1 E", "2 Ercoli, Anna"};
    QTest::newRow("no hit") << QStringList {"Rossi"} << QStringList {};
}

void TestSearchEngine::treeOfHits()
{
    QFETCH(QStringList, surnames);
    QFETCH(QStringList, lines);
    TestStore test;
    // Every surname but Rossi and Neri holds the argument, in two fields.
    for (const QString &surname : surnames) {
        const bool hit = surname != QLatin1String("Rossi") && surname != QLatin1String("Neri");
        test.add(surname, QStringLiteral("Anna"), {{Field::Note, hit ? QStringLiteral("cliente") : QStringLiteral("fornitore")},
            {Field::Azienda, hit ? QStringLiteral("Clienti Srl") : QStringLiteral("Altro")}});
    }
    const SearchResult result = SearchEngine().search(walkOf(test.store()), QStringLiteral("CLIENT"), true, 0);
    QStringList texts;
    for (const OutlineLine &line : result.lines)
        texts.append(QString::number(line.level) + QLatin1Char(' ') + line.text);
    QCOMPARE(texts, lines);
    QCOMPARE(qsizetype(result.hitIds.size()), lines.filter(QRegularExpression("^2")).size());
    QCOMPARE(result.firstHitId, result.hitIds.empty() ? 0 : result.hitIds.front());

    // An id beyond 32 bits stays whole.
    runSqlElsewhere(test.path(), {QStringLiteral("INSERT INTO PhoneList (ID, LastName, FirstName, Note) "
                                                 "VALUES (5000000000, 'Abate', 'Anna', 'clienti')")});
    QCOMPARE(SearchEngine().search(walkOf(test.store()), QStringLiteral("CLIENT"), true, 0).firstHitId, Q_INT64_C(5000000000));
}

void TestSearchEngine::snapshotFollowsWrites()
{
    TestStore test;
    const qint64 rossi = test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    SearchEngine engine;
    const auto hits = [&](const Recordset &walk) { return engine.search(walk, QStringLiteral("ROMA"), true, 0).hitIds; };
    QVERIFY(hits(walkOf(test.store())).empty());
    ContactRecord changed = *test.store().read(rossi);
    changed.setValue(Field::HomeCity, QStringLiteral("Roma"));
    QVERIFY(test.store().update(changed));
    QCOMPARE(hits(walkOf(test.store())), std::vector<qint64> {rossi});
    const qint64 verdi = test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"), {{Field::WorkCity, QStringLiteral("Roma")}});
    QCOMPARE(hits(walkOf(test.store())), (std::vector<qint64> {rossi, verdi}));
    // A walk taken before a delete still names the deleted row; it is no hit any more.
    const Recordset stale = walkOf(test.store());
    QVERIFY(test.store().remove(rossi));
    QCOMPARE(hits(stale), std::vector<qint64> {verdi});
}

void TestSearchEngine::preparedRead()
{
    // The read started while the user types is taken over by the search, with whatever was written
    // meanwhile; an engine destroyed while its read runs stops it and leaves the store usable.
    TestStore test;
    {
        ContactStore::Batch batch(test.store());
        for (int i = 0; i < 20000; ++i)
            test.add(QStringLiteral("Rossi%1").arg(i), QStringLiteral("Mario"), {{Field::HomeCity, QStringLiteral("Roma")}});
        QVERIFY(batch.commit());
    }
    for (int round = 0; round < 5; ++round)
        SearchEngine().prepare(walkOf(test.store()));
    SearchEngine engine;
    engine.prepare(walkOf(test.store()));
    const qint64 verdi = test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"), {{Field::WorkCity, QStringLiteral("Roma")}});
    ContactRecord first = *test.store().read(1);
    first.setValue(Field::HomeCity, QStringLiteral("Milano"));
    QVERIFY(test.store().update(first));
    const SearchResult result = engine.search(walkOf(test.store()), QStringLiteral("ROMA"), true, 0);
    QCOMPARE(result.hitIds.size(), std::size_t(20000));
    QVERIFY(std::find(result.hitIds.begin(), result.hitIds.end(), verdi) != result.hitIds.end());
    QVERIFY(std::find(result.hitIds.begin(), result.hitIds.end(), qint64(1)) == result.hitIds.end());
    QVERIFY(engine.snapshot().isCurrent(test.store()));
}

void TestSearchEngine::failureReported()
{
    TestStore test;
    test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    const Recordset walk = walkOf(test.store());
    runSqlElsewhere(test.path(), {QStringLiteral("ALTER TABLE PhoneList RENAME TO Damaged")});
    const SearchResult result = SearchEngine().search(walk, QStringLiteral("ROSSI"), true, 0);
    QVERIFY(result.hitIds.empty() && result.lines.empty());
    QVERIFY2(result.failure.startsWith(QStringLiteral("Impossibile leggere i contatti per la ricerca: "))
            && result.failure.contains(QStringLiteral("PhoneList")),
        qPrintable(result.failure));
}

// The one-pass scan must find exactly what the plain per-field rule finds, also where upper-casing
// changes the length of a text or an occurrence would straddle two fields.
void TestSearchEngine::scanAgreesWithRule_data()
{
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("upper case lengthens some texts")
        << QStringList {"a", "A", "b", "ß", "SS", "s", "à", "À", "ǰ", "ﬀ", "𐐨", "𐐀", " ", "*", "o", "ò", "ı", "ᾈ", "ǅ", "ĸ", "ɐ"};
    // Every text keeps its length: the fields keep their places in the folded copy.
    QTest::newRow("upper case keeps every length") << QStringList {"a", "A", "b", "s", "à", "À", "é", "𐐨", "𐐀", " ", "*", "o", "ò", "ÿ"};
}

void TestSearchEngine::scanAgreesWithRule()
{
    QFETCH(const QStringList, pieces);
    QRandomGenerator random(20240611);
    const auto randomText = [&](int longest) {
        QString text;
        for (int i = random.bounded(longest + 1); i > 0; --i)
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
    for (int round = 0; round < 200; ++round) {
        const bool ignoreCase = random.bounded(2) == 1;
        const int scope = random.bounded(4);
        const QString argument = FoldCase(randomText(3), ignoreCase);
        const std::vector<bool> matches = snapshot.matchingRows(argument, ignoreCase, scope);
        for (const ContactRecord &record : records) {
            QVERIFY2(matches[snapshot.rowOf(record.id)] == recordMatches(record, argument, ignoreCase, scope),
                qPrintable(QStringLiteral("\"%1\" scope %2 case %3 id %4").arg(argument).arg(scope).arg(ignoreCase).arg(record.id)));
        }
    }
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "test_searchengine.moc"
