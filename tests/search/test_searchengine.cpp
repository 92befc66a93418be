// The search over the agenda: fields and scopes, the forgiving rule and the literal one, the
// whole-agenda argument, where a hit's match is, the tree of hits, and the snapshot that must follow
// every write and agree with the plain rule.
#include "contacts/Recordset.h"
#include "search/SearchEngine.h"
#include "search/SearchMatch.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "tests/support/TestStore.h"
#include "tests/text/ContactTable.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

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

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT
private slots:
    void search_data() { addCaseRows("search/searches.tsv"); }
    void search()
    {
        const auto [typed, ignoreCase, scope, expected] = caseValues<4>();
        TestStore test;
        for (const auto &[name, contact] : readContactTable("search/contacts.tsv"))
            test.add(contact);
        const SearchState state{utf8(typed), scope.toShort(), ignoreCase == "1"};
        const SearchResult result = SearchEngine().search(walkOf(test.store()), state);
        QStringList found = hitNames(result, test.store());
        found.sort();
        QCOMPARE(found.join(','), utf8(expected));
        QVERIFY(result.failure.isEmpty());
    }

    // Arguments a paste can bring: very long, blanks alone, half a surrogate pair (forgiven like any
    // other symbol inside a word).
    void hostileArguments()
    {
        TestStore test;
        test.add(u"Rossi"_s, u"Anna"_s, {{Field::Note, QString(20000, u'a')}});
        SearchEngine engine;
        const Recordset walk = walkOf(test.store());
        QCOMPARE(engine.search(walk, searchQuery(QString(10000, u'A'), true, 0)).hitIds.size(), 1u);
        QCOMPARE(engine.search(walk, searchQuery(QString(10000, u'b'), true, 0)).hitIds.size(), 0u);
        QCOMPARE(engine.search(walk, searchQuery(QString(10000, u' '), true, 0)).hitIds.size(), 0u);
        QCOMPARE(
            engine.search(walk, searchQuery(u"ro"_s + QChar(0xD800) + u"ssi"_s, true, 0)).hitIds.size(), 1u);
    }

    void argument_data() { addCaseRows("search/arguments.tsv"); }
    void argument()
    {
        const auto [typed, ignoreCase, caption] = caseValues<3>();
        SearchState state;
        state.SearchText = utf8(typed);
        state.IgnoreCase = ignoreCase == "1";
        const QString argument = searchArgument(state);
        QCOMPARE(isWholeAgenda(argument) ? wholeAgendaCaption() : searchCaption(argument), utf8(caption));
    }

    void matchInText_data() { addCaseRows("search/matches.tsv"); }
    void matchInText()
    {
        const auto [text, typed, ignoreCase, selected] = caseValues<4>();
        const std::optional<TextSpan> span
            = findInText(utf8(text), searchQuery(utf8(typed), ignoreCase == "1", 0));
        QCOMPARE(span ? utf8(text).mid(span->start, span->length) : u"-"_s, utf8(selected));
    }

    void treeOfHits_data() { addCaseRows("search/tree.tsv"); }
    void treeOfHits()
    {
        const auto [surnames, lines] = caseValues<2>();
        TestStore test;
        // Every surname but Rossi and Neri holds the argument, in two fields.
        for (const QString &surname : utf8(surnames).split(',')) {
            const bool hit = surname != QLatin1String("Rossi") && surname != QLatin1String("Neri");
            test.add(surname, u"Anna"_s,
                {{Field::Note, hit ? u"cliente"_s : u"fornitore"_s},
                    {Field::Azienda, hit ? u"Clienti Srl"_s : u"Altro"_s}});
        }
        const SearchResult result
            = SearchEngine().search(walkOf(test.store()), searchQuery(u"client"_s, true, 0));
        QString texts;
        for (const OutlineLine &line : result.lines)
            texts += QString::number(line.level) + QLatin1Char(' ') + line.text.toString() + QLatin1Char('|');
        QCOMPARE(texts, utf8(lines));
        QCOMPARE(qsizetype(result.hitIds.size()), texts.count(u"2 "_s));
    }

    void snapshotFollowsWrites()
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
        const auto hits = [&](const Recordset &walk) {
            return engine.search(walk, searchQuery(u"roma"_s, true, 0)).hitIds;
        };
        // Row 1 is no hit any more, Verdi is the last in the walk's order.
        const std::vector<qint64> found = hits(walkOf(test.store()));
        QCOMPARE(found.size(), std::size_t(20000));
        QCOMPARE(found.back(), verdi);

        // A walk taken before a delete still names the deleted row; it is no hit any more.
        const Recordset stale = walkOf(test.store());
        QVERIFY(test.store().remove(verdi));
        QCOMPARE(hits(stale).size(), std::size_t(19999));
    }

    // The snapshot one run keeps serves the next, with what another program wrote meanwhile; a kept
    // file that was cut short is passed over and kept anew.
    void keptSnapshotFollowsOtherPrograms()
    {
        TestStore test;
        for (int i = 0; i < 50; ++i)
            test.add(u"Rossi%1"_s.arg(i), u"Mario"_s);
        QTRY_VERIFY(test.store().isWritable());
        QTemporaryDir cache;
        const QDir folder(cache.filePath(u"ricerca"_s));
        const auto firstHits = [&](const QString &typed) {
            SearchEngine engine;
            engine.keepSnapshotIn(folder.path());
            const Recordset walk = walkOf(test.store());
            engine.prepare(walk);
            return engine.search(walk, searchQuery(typed, true, 0)).hitIds.size();
        };
        QCOMPARE(firstHits(u"rossi"_s), 50u);
        const QStringList kept = folder.entryList(QDir::Files);
        QCOMPARE(kept.size(), 1);

        runSqlElsewhere(test.path(),
            {u"UPDATE PhoneList SET LastName = 'Verdi' WHERE ID = 1"_s,
                u"INSERT INTO PhoneList (LastName, FirstName) VALUES ('Rossini', 'Gioacchino')"_s,
                u"DELETE FROM PhoneList WHERE ID = 2"_s});
        QCOMPARE(firstHits(u"rossi"_s), 49u);
        QCOMPARE(firstHits(u"verdi mario"_s), 1u);
        QCOMPARE(folder.entryList(QDir::Files), kept);

        QFile file(folder.filePath(kept.first()));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(file.size() / 2));
        file.close();
        QCOMPARE(firstHits(u"rossi"_s), 49u);
        QCOMPARE(folder.entryList(QDir::Files).size(), 1);
        QVERIFY(folder.entryList(QDir::Files) != kept);
    }

    // The one-pass scan must find exactly what the plain per-field rule finds, also where upper-casing
    // or the forgiving form changes the length of a text or an occurrence would straddle two fields. In
    // the second round every text keeps its length when upper-cased: the fields keep their places in
    // the folded copy. And ignoring case finds at least what upper-casing alone found.
    void scanAgreesWithRule()
    {
        QRandomGenerator random(20240611);
        for (const QStringList &pieces :
            {QStringList{"a", "A", "b", "ß", "SS", "s", "à", "À", "ǰ", "ﬀ", "𐐨", "𐐀", " ", "*", "o", "ò", "ı",
                 "ᾈ", "ǅ", "ĸ", "ɐ", "'", "3", "+", "9", "0", "Ł", "̀"},
                QStringList{"a", "A", "b", "s", "à", "À", "é", "𐐨", "𐐀", " ", "*", "o", "ò", "ÿ"}}) {
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
                const QString typed = randomText(4);
                const SearchQuery query = searchQuery(typed, ignoreCase, scope);
                const SearchQuery upperCased{SearchRule::Folded, scope, FoldCase(typed, true), {}, {}};
                const std::vector<bool> matches = snapshot.matchingRows(query);
                for (const ContactRecord &record : records) {
                    const bool hit = matches[snapshot.rowOf(record.id)];
                    QVERIFY2(hit == recordMatches(record, query),
                        qPrintable(typed + u" scope "_s + QString::number(scope)));
                    if (ignoreCase && !isWholeAgenda(typed) && recordMatches(record, upperCased))
                        QVERIFY2(hit, qPrintable(u"lost: "_s + typed));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "test_searchengine.moc"
