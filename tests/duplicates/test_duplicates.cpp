// Duplicates: the keys contacts are compared by, the groups checked against every pair, the pairs set
// aside, and the merge with its undo.
#include "contacts/SqliteRows.h"
#include "dial/NumberKey.h"
#include "duplicates/AgendaDuplicates.h"
#include "duplicates/ContactMerge.h"
#include "duplicates/DuplicateFinder.h"
#include "duplicates/NotDuplicatesTable.h"
#include "exchange/CardProperties.h"
#include "exchange/ContactImport.h"
#include "exchange/FileSources.h"
#include "history/Trash.h"
#include "history/UndoHistory.h"
#include "tests/support/TestStore.h"
#include "text/MatchKeys.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <set>

using namespace Qt::StringLiterals;

namespace {

using Groups = std::set<std::vector<qint64>>;

Groups asSet(const std::vector<DuplicateGroup> &groups)
{
    Groups all;
    for (DuplicateGroup group : groups) {
        std::sort(group.ids.begin(), group.ids.end());
        all.insert(group.ids);
    }
    return all;
}

// The rule said plainly, pair by pair, for the finder to be held to.
size_t editDistance(const std::u32string &a, const std::u32string &b)
{
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t(0));
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::u32string points(const std::string &utf8)
{
    const QList<uint> units = QString::fromStdString(utf8).toUcs4();
    return std::u32string(units.begin(), units.end());
}

bool beginsWithWords(const std::string &longer, const std::string &shorter)
{
    return shorter.find(' ') != std::string::npos && longer.size() > shorter.size()
        && longer.starts_with(shorter) && longer[shorter.size()] == ' ';
}

bool alike(const ContactKeys &a, const ContactKeys &b)
{
    for (const std::string &number : a.numbers) {
        if (std::find(b.numbers.begin(), b.numbers.end(), number) != b.numbers.end())
            return true;
    }
    if (!a.email.empty() && a.email == b.email)
        return true;
    if (!a.nameKey.empty() && a.nameKey == b.nameKey)
        return true;
    const std::u32string nameA = points(a.nameKey);
    const std::u32string nameB = points(b.nameKey);
    const auto letters = [](const std::u32string &key) {
        return std::count_if(key.begin(), key.end(), [](char32_t c) { return c != U' '; });
    };
    if (letters(nameA) >= 5 && letters(nameB) >= 5 && editDistance(nameA, nameB) == 1)
        return true;
    for (const std::string *x : {&a.surnameFirst, &a.givenFirst}) {
        for (const std::string *y : {&b.surnameFirst, &b.givenFirst}) {
            if (beginsWithWords(*x, *y) || beginsWithWords(*y, *x))
                return true;
        }
    }
    return false;
}

Groups everyPair(const std::vector<ContactKeys> &contacts, const NotDuplicatePairs &setAside)
{
    std::vector<size_t> parent(contacts.size());
    std::iota(parent.begin(), parent.end(), size_t(0));
    const auto root = [&](size_t i) {
        while (parent[i] != i)
            i = parent[i];
        return i;
    };
    for (size_t i = 0; i < contacts.size(); ++i) {
        for (size_t j = i + 1; j < contacts.size(); ++j) {
            if (!setAside.contains(contacts[i].id, contacts[j].id) && alike(contacts[i], contacts[j]))
                parent[root(j)] = root(i);
        }
    }
    std::map<size_t, std::vector<qint64>> byRoot;
    for (size_t i = 0; i < contacts.size(); ++i)
        byRoot[root(i)].push_back(contacts[i].id);
    Groups groups;
    for (auto &[r, ids] : byRoot) {
        if (ids.size() > 1)
            groups.insert(ids);
    }
    return groups;
}

ImportResult importText(ContactStore &store, const QByteArray &vcard, const QString &directory)
{
    const QString path = directory + u"/contatti.vcf"_s;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(vcard) != vcard.size())
        return {};
    file.close();
    VCardFileSource source(path);
    return importContacts(store, source, KnownContacts::Skip, path);
}

QStringList propertyLines(ContactStore &store, qint64 id)
{
    QStringList lines;
    for (const KeptProperty &kept : readCardProperties(store.connection(), id))
        lines.append(kept.property.name + u':' + kept.property.text());
    return lines;
}

} // namespace

class TestDuplicates : public QObject
{
    Q_OBJECT
private slots:
    void numberKeys_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("key");
        QTest::newRow("Milan, national") << "02 1234567"
                                         << "+39021234567";
        QTest::newRow("Milan, with +39") << "+39 02 1234567"
                                         << "+39021234567";
        QTest::newRow("Milan, with 0039") << "0039021234567"
                                          << "+39021234567";
        QTest::newRow("slash and dash") << "0171/210858"
                                        << "+390171210858";
        QTest::newRow("mobile") << "345 123 4567"
                                << "+393451234567";
        QTest::newRow("landline of the same digits") << "0345 1234567"
                                                     << "+3903451234567";
        QTest::newRow("London, with 0044") << "0044 20 7946 0958"
                                           << "+442079460958";
        QTest::newRow("United States") << "+1 (650) 253-0000"
                                       << "+16502530000";
        QTest::newRow("extension") << "02 1234567 int. 23"
                                   << "+39021234567;ext=23";
        QTest::newRow("extension written otherwise") << "+39 02 1234567 ext 23"
                                                     << "+39021234567;ext=23";
        QTest::newRow("emergency number") << "112"
                                          << "112";
        QTest::newRow("too short") << "12 34"
                                   << "1234";
        QTest::newRow("no digits") << "n.d."
                                   << "";
    }
    // Numbers are the same in E.164 whatever the way they were written; what is no valid number
    // keeps its digits.
    void numberKeys()
    {
        QFETCH(QString, number);
        QFETCH(QString, key);
        QCOMPARE(QString::fromStdString(numberKey(number.toUtf8())), key);
    }

    void nameAndAddressKeys()
    {
        QCOMPARE(nameKey(u"Rossi", u"Mario"), nameKey(u"Mario", u"Rossi"));
        QCOMPARE(nameKey(u"Dell'Acqua", u"Nicolò"), nameKey(u"DELLACQUA", u"nicolo"));
        QVERIFY(nameKey(u"De Luca", u"Anna") != nameKey(u"Deluca", u"Anna"));
        QCOMPARE(nameKey(u"", u"..."), std::string());
        QCOMPARE(emailKey(u" Mario.Rossi@Example.IT "), std::string("mario.rossi@example.it"));
        QCOMPARE(readableNumberKey("+39021234567;ext=23"), u"+39 02 123 4567 int. 23"_s);
    }

    // The finder links exactly the contacts the rule links pair by pair, pairs set aside included,
    // on contacts made to meet in every way the rule names.
    void groupsAgreeWithEveryPair()
    {
        QRandomGenerator random(2412);
        // Surnames of two syllables, so most contacts stand alone and the groups stay small.
        const QStringList heads = {u"Ro"_s, u"Bian"_s, u"Es"_s, u"Ric"_s, u"Gre"_s, u"Dell'Ac"_s, u"De "_s,
            u"Mar"_s, u"Gal"_s, u"Con"_s, u"Nicò"_s, u"Cos"_s, u"Gior"_s, u"Ż"_s, u"Lom"_s, u"Bar"_s};
        const QStringList tails = {u"ssi"_s, u"chi"_s, u"posito"_s, u"ci"_s, u"co"_s, u"qua"_s, u"ino"_s,
            u"lo"_s, u"ti"_s, u"cini"_s, u"ak"_s, u"dano"_s, u"zzi"_s, u"bardi"_s, u"Luca"_s, u"bieri"_s};
        const QStringList given
            = {u"Mario"_s, u"Maria"_s, u"Maria Grazia"_s, u"Giovanni"_s, u"Giovanni Battista"_s,
                u"Gian Luca"_s, u"Anna"_s, u"Paola"_s, u""_s, u"Luca Maria Pio"_s, u"Li"_s};
        const auto edited = [&](QString name) {
            const int at = int(random.bounded(name.size() + 1));
            const QChar letter = u"aeioumnrs "_s.at(random.bounded(10));
            switch (random.bounded(4)) {
            case 0:
                return name.insert(at, letter);
            case 1:
                return at < name.size() ? name.remove(at, 1) : name;
            case 2:
                return at < name.size() ? name.replace(at, 1, letter) : name;
            default:
                return name;
            }
        };
        std::vector<ContactKeys> contacts;
        for (qint64 id = 1; id <= 1500; ++id) {
            const QString surname
                = heads.at(random.bounded(heads.size())) + tails.at(random.bounded(tails.size()));
            QString last = random.bounded(4) == 0 ? edited(surname) : surname;
            QString first = given.at(random.bounded(given.size()));
            if (random.bounded(10) == 0)
                std::swap(last, first);
            const QString email
                = random.bounded(4) == 0 ? u"Nome%1@Posta.it"_s.arg(random.bounded(1500)) : QString();
            ContactKeys keys = contactKeys(id, last, first, email);
            if (random.bounded(3) == 0) {
                const QStringList forms = {u"02 %1"_s, u"+39 02 %1"_s, u"0039 02/%1"_s, u"3%1"_s};
                const QString digits = QString::number(1000000 + random.bounded(900));
                addNumber(keys, numberKey(forms.at(random.bounded(forms.size())).arg(digits).toUtf8()));
            }
            contacts.push_back(std::move(keys));
        }
        NotDuplicatePairs none;
        const Groups plain = everyPair(contacts, none);
        QCOMPARE(asSet(findDuplicateGroups(contacts, none)), plain);
        QVERIFY(plain.size() > 100);
        QVERIFY(std::all_of(plain.begin(), plain.end(), [](const auto &group) { return group.size() < 30; }));

        // Pairs set aside split some groups and not others.
        NotDuplicatePairs setAside;
        for (const std::vector<qint64> &group : plain) {
            if (random.bounded(3) == 0)
                setAside.add(group[0], group[1]);
            if (group.size() > 2 && random.bounded(2) == 0)
                for (size_t i = 1; i < group.size(); ++i)
                    setAside.add(group[0], group[i]);
        }
        const std::vector<DuplicateGroup> found = findDuplicateGroups(contacts, setAside);
        QCOMPARE(asSet(found), everyPair(contacts, setAside));
        QVERIFY(std::all_of(
            found.begin(), found.end(), [](const DuplicateGroup &g) { return !g.evidence.empty(); }));
    }

    // A merge is one step: the contact with most data stays with the values chosen and every other
    // property, the others go to the trash; undo brings all back as they were. A contact changed by
    // another program meanwhile stops the merge before anything is written.
    void mergeIsOneStepOfTheHistory()
    {
        TestStore files;
        QCOMPARE(importText(files.store(),
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Rossi;Mario;;;\r\nFN:Mario Rossi\r\n"
                     "TEL;TYPE=CELL:+39 333 "
                     "1234567\r\nEMAIL:mario@rossi.it\r\nEMAIL;TYPE=WORK:m.rossi@ditta.it\r\n"
                     "NOTE:Preferisce WhatsApp\r\nADR;TYPE=HOME:;;Via Po 2;Torino;TO;10100;\r\n"
                     "BDAY:1970-01-01\r\nEND:VCARD\r\n"
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Verdi;Luca;;;\r\nTEL;TYPE=CELL:+39 333 "
                     "7654321\r\nEND:VCARD\r\n",
                     files.directory())
                     .added,
            2);
        const qint64 typed = files.add(u"Rossi"_s, u"Mario"_s,
            {{Field::Cellulare, u"333 1234567"_s}, {Field::Note, u"Cliente dal 2010"_s},
                {Field::WorkAddress, u"Via Roma 1"_s}, {Field::WorkCity, u"Milano"_s}});
        files.add(u"Mario"_s, u"Rossi"_s, {{Field::Internet, u"MARIO@rossi.it"_s}});

        QString error;
        std::optional<std::vector<AgendaGroup>> groups = agendaDuplicates(files.store(), &error);
        QVERIFY2(groups, qPrintable(error));
        QCOMPARE(groups->size(), size_t(1));
        QCOMPARE(evidenceText(groups->front().evidence),
            u"Stesso numero +39 333 123 4567; stessa e-mail mario@rossi.it; stesso nome"_s);
        std::vector<qint64> ids;
        for (const ContactName &contact : groups->front().contacts)
            ids.push_back(contact.id);
        bool ok = false;
        std::vector<ContactRecord> contacts = files.store().readMany(ids, &ok);
        const std::vector<ContactRecord> before = files.store().readAll(&ok);
        orderForMerge(contacts);
        const qint64 imported = contacts.front().id;
        QVERIFY(imported != typed);
        const ContactRecord merged = mergedRecord(contacts, defaultMergeChoice(contacts));
        QCOMPARE(merged.text(Field::Note), u"Preferisce WhatsApp\nCliente dal 2010"_s);
        QCOMPARE(merged.text(Field::WorkCity), u"Milano"_s);
        QCOMPARE(merged.text(Field::HomeCity), u"Torino"_s);
        QCOMPARE(merged.text(Field::Cellulare), u"+39 333 1234567"_s);

        // Another program's change to one of them stops the merge, and nothing is written.
        runSqlElsewhere(files.path(), {u"UPDATE PhoneList SET Note = 'cambiata' WHERE ID = %1"_s.arg(typed)});
        QVERIFY(!mergeContacts(files.store(), contacts, merged, &error));
        QVERIFY(error.contains(u"altro programma"_s));
        QCOMPARE(files.store().count(), 4);
        runSqlElsewhere(
            files.path(), {u"UPDATE PhoneList SET Note = 'Cliente dal 2010' WHERE ID = %1"_s.arg(typed)});

        const QStringList propertiesBefore = propertyLines(files.store(), imported);
        QVERIFY2(mergeContacts(files.store(), contacts, merged, &error), qPrintable(error));
        QCOMPARE(files.store().count(), 2);
        QCOMPARE(files.store().read(imported)->text(Field::WorkAddress), u"Via Roma 1"_s);
        const QStringList properties = propertyLines(files.store(), imported);
        QVERIFY(properties.contains(u"EMAIL:m.rossi@ditta.it"_s));
        QVERIFY(properties.contains(u"BDAY:1970-01-01"_s));
        QVERIFY(!properties.contains(u"NOTE:Cliente dal 2010"_s)); // in the joined notes already
        QCOMPARE(properties.count(u"N:Rossi;Mario;;;"_s) + properties.count(u"FN:Mario Rossi"_s), 2);
        QCOMPARE(trashEntries(files.store(), &error).size(), size_t(2));
        QVERIFY(agendaDuplicates(files.store(), &error)->empty());

        const HistoryOutcome undone = undoStep(files.store());
        QCOMPARE(undone.label, u"l'unione di Rossi, Mario"_s);
        QCOMPARE(files.store().readAll(&ok), before);
        QCOMPARE(propertyLines(files.store(), imported), propertiesBefore);
        QVERIFY(redoStep(files.store()).ok());
        QCOMPARE(files.store().count(), 2);
    }

    // Pairs set aside are not proposed again, but a newcomer like both brings them back together.
    void pairsSetAsideStayApart()
    {
        TestStore files;
        const qint64 a = files.add(u"Bianchi"_s, u"Paola"_s, {{Field::HomePhone, u"06 7654321"_s}});
        const qint64 b = files.add(u"Bianchi"_s, u"Paolo"_s, {{Field::HomePhone, u"+39 06 7654321"_s}});
        files.add(u"Verdi"_s, u"Luca"_s);
        QString error;
        QCOMPARE(agendaDuplicates(files.store(), &error)->size(), size_t(1));
        const qint64 pair[] = {a, b};
        QVERIFY(rememberNotDuplicates(files.store().connection(), pair, &error));
        QVERIFY(agendaDuplicates(files.store(), &error)->empty());
        files.add(u"Bianchi"_s, u"Paola"_s);
        QCOMPARE(agendaDuplicates(files.store(), &error)->front().contacts.size(), size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestDuplicates)
#include "test_duplicates.moc"
