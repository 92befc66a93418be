// The search over the agenda: fields and scopes, case folding, the whole-agenda argument, the tree
// of hits, and the snapshot that must follow every write and agree with the plain rule.
#include "contacts/Recordset.h"
#include "search/SearchEngine.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "tests/support/TestStore.h"
#include "tests/text/CaseTable.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

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
    void caseFolding_data() { addCaseRows("search/folding.tsv", {"typed", "ignoreCase", "expected"}); }
    void caseFolding();
    void emptyAndNullFields();
    void argument_data() { addCaseRows("search/arguments.tsv", {"typed", "ignoreCase", "caption"}); }
    void argument();
    void treeOfHits_data() { addCaseRows("search/tree.tsv", {"surnames", "lines"}); }
    void treeOfHits();
    void snapshotFollowsWrites();
    void preparedRead();
    void failureReported();
    void scanAgreesWithRule_data();
    void scanAgreesWithRule();
};

void TestSearchEngine::fieldsAndScopes()
{
    // One field of each group holds the text: scope 0 is every field, 1 all but the notes, 2 the
    // work ones, 3 the home ones; names and mobile are in all.
    TestStore test;
    for (const Field field : {Field::Cellulare, Field::Azienda, Field::HomeCity, Field::Note})
        test.add(fieldName(field), u"Anna"_s, {{field, u"xq7"_s}});
    const char *found[] = {"Azienda,Cellulare,HomeCity,Note", "Azienda,Cellulare,HomeCity",
        "Azienda,Cellulare", "Cellulare,HomeCity"};
    for (int scope = 0; scope < 4; ++scope)
        QCOMPARE(hitNames(SearchEngine().search(walkOf(test.store()), u"XQ7"_s, true, scope), test.store())
                     .join(','),
            QString::fromLatin1(found[scope]));
}

void TestSearchEngine::caseFolding()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, ignoreCase);
    QFETCH(QByteArray, expected);
    TestStore test;
    // A text that grows when upper-cased sits before the searched fields of other rows.
    for (const char *surname : {"Rossi", "ROSSI", "rossi", "Nicolò", "NICOLÒ", "Nicolo", "Strasse"})
        test.add(QString::fromUtf8(surname), u"Carlo"_s, {{Field::Azienda, u"ßßßß"_s}});
    SearchState state;
    state.SearchText = utf8(typed);
    state.IgnoreCase = ignoreCase == "1";
    const SearchResult result = SearchEngine().search(walkOf(test.store()), state);
    QStringList found = hitNames(result, test.store());
    found.sort();
    QCOMPARE(found.join(','), utf8(expected));
    QVERIFY(result.failure.isEmpty());
}

void TestSearchEngine::emptyAndNullFields()
{
    TestStore test;
    const qint64 empty
        = test.add(u"Rossi"_s, u"Mario"_s, {{Field::Cellulare, u""_s}, {Field::Note, u"voto a* pieno"_s}});
    test.add(u"Verdi"_s, u"Anna"_s, {{Field::Note, u"voto a pieno"_s}});
    test.add(u"Neri"_s, u"Ada"_s, {{Field::Note, u"ahi *"_s}});
    for (const QString &argument : {u"NULL"_s, u"\\N"_s, u"0"_s})
        QCOMPARE(search(test.store(), argument), QStringList());
    // A star is plain text but for the whole argument.
    QCOMPARE(search(test.store(), u"A*"_s), QStringList{"Rossi"});
    QCOMPARE(search(test.store(), u" *"_s), QStringList{"Neri"});

    SearchEngine engine;
    engine.search(walkOf(test.store()), u"X"_s, true, 0);
    const int row = engine.snapshot().rowOf(empty);
    QVERIFY(row >= 0);
    QCOMPARE(engine.snapshot().value(row, Field::Cellulare), FieldValue(QString()));
    QCOMPARE(engine.snapshot().value(row, Field::HomeCity), FieldValue());
    QCOMPARE(engine.snapshot().value(row, Field::LastName), FieldValue(u"Rossi"_s));
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

void TestSearchEngine::treeOfHits()
{
    QFETCH(QByteArray, surnames);
    QFETCH(QByteArray, lines);
    TestStore test;
    // Every surname but Rossi and Neri holds the argument, in two fields.
    for (const QString &surname : utf8(surnames).split(',')) {
        const bool hit = surname != QLatin1String("Rossi") && surname != QLatin1String("Neri");
        test.add(surname, u"Anna"_s,
            {{Field::Note, hit ? u"cliente"_s : u"fornitore"_s},
                {Field::Azienda, hit ? u"Clienti Srl"_s : u"Altro"_s}});
    }
    const SearchResult result = SearchEngine().search(walkOf(test.store()), u"CLIENT"_s, true, 0);
    QString texts;
    for (const OutlineLine &line : result.lines)
        texts += QString::number(line.level) + QLatin1Char(' ') + line.text + QLatin1Char('|');
    QCOMPARE(texts, utf8(lines));
    QCOMPARE(qsizetype(result.hitIds.size()), texts.count(u"2 "_s));
    QCOMPARE(result.firstHitId, result.hitIds.empty() ? 0 : result.hitIds.front());

    // An id beyond 32 bits stays whole.
    runSqlElsewhere(test.path(),
        {QStringLiteral("INSERT INTO PhoneList (ID, LastName, FirstName, Note) "
                        "VALUES (5000000000, 'Abate', 'Anna', 'clienti')")});
    QCOMPARE(
        SearchEngine().search(walkOf(test.store()), u"CLIENT"_s, true, 0).firstHitId, Q_INT64_C(5000000000));
}

void TestSearchEngine::snapshotFollowsWrites()
{
    TestStore test;
    const qint64 rossi = test.add(u"Rossi"_s, u"Mario"_s);
    SearchEngine engine;
    const auto hits = [&](const Recordset &walk) { return engine.search(walk, u"ROMA"_s, true, 0).hitIds; };
    QVERIFY(hits(walkOf(test.store())).empty());
    ContactRecord changed = *test.store().read(rossi);
    changed.setValue(Field::HomeCity, u"Roma"_s);
    QVERIFY(test.store().update(changed));
    QCOMPARE(hits(walkOf(test.store())), std::vector<qint64>{rossi});
    const qint64 verdi = test.add(u"Verdi"_s, u"Luca"_s, {{Field::WorkCity, u"Roma"_s}});
    QCOMPARE(hits(walkOf(test.store())), (std::vector<qint64>{rossi, verdi}));
    // A walk taken before a delete still names the deleted row; it is no hit any more.
    const Recordset stale = walkOf(test.store());
    QVERIFY(test.store().remove(rossi));
    QCOMPARE(hits(stale), std::vector<qint64>{verdi});
}

void TestSearchEngine::preparedRead()
{
    // The read started while the user types is taken over by the search, with whatever was written
    // meanwhile; an engine destroyed while its read runs stops it and leaves the store usable.
    TestStore test;
    {
        ContactStore::Batch batch(test.store());
        for (int i = 0; i < 20000; ++i)
            test.add(u"Rossi%1"_s.arg(i), u"Mario"_s, {{Field::HomeCity, u"Roma"_s}});
        QVERIFY(batch.commit());
    }
    for (int round = 0; round < 5; ++round)
        SearchEngine().prepare(walkOf(test.store()));
    SearchEngine engine;
    engine.prepare(walkOf(test.store()));
    const qint64 verdi = test.add(u"Verdi"_s, u"Luca"_s, {{Field::WorkCity, u"Roma"_s}});
    ContactRecord first = *test.store().read(1);
    first.setValue(Field::HomeCity, u"Milano"_s);
    QVERIFY(test.store().update(first));
    const SearchResult result = engine.search(walkOf(test.store()), u"ROMA"_s, true, 0);
    QCOMPARE(result.hitIds.size(), std::size_t(20000));
    QVERIFY(std::find(result.hitIds.begin(), result.hitIds.end(), verdi) != result.hitIds.end());
    QVERIFY(std::find(result.hitIds.begin(), result.hitIds.end(), qint64(1)) == result.hitIds.end());
    QVERIFY(engine.snapshot().isCurrent(test.store()));
}

void TestSearchEngine::failureReported()
{
    TestStore test;
    test.add(u"Rossi"_s, u"Mario"_s);
    const Recordset walk = walkOf(test.store());
    runSqlElsewhere(test.path(), {u"ALTER TABLE PhoneList RENAME TO Damaged"_s});
    const SearchResult result = SearchEngine().search(walk, u"ROSSI"_s, true, 0);
    QVERIFY(result.hitIds.empty() && result.lines.empty());
    QVERIFY2(result.failure.startsWith(u"Impossibile leggere i contatti per la ricerca: "_s)
            && result.failure.contains(u"PhoneList"_s),
        qPrintable(result.failure));
}

// The one-pass scan must find exactly what the plain per-field rule finds, also where upper-casing
// changes the length of a text or an occurrence would straddle two fields.
void TestSearchEngine::scanAgreesWithRule_data()
{
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("upper case lengthens some texts") << QStringList{"a", "A", "b", "ß", "SS", "s", "à", "À",
        "ǰ", "ﬀ", "𐐨", "𐐀", " ", "*", "o", "ò", "ı", "ᾈ", "ǅ", "ĸ", "ɐ"};
    // Every text keeps its length: the fields keep their places in the folded copy.
    QTest::newRow("upper case keeps every length")
        << QStringList{"a", "A", "b", "s", "à", "À", "é", "𐐨", "𐐀", " ", "*", "o", "ò", "ÿ"};
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
                qPrintable(argument + u" scope "_s + QString::number(scope)));
        }
    }
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "test_searchengine.moc"
