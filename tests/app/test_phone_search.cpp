// The search from the main window: the start-up dialog, a search with hits, the save that comes
// first, and the ways back to the whole agenda. The matching is in test_searchengine.
#include "PhoneFixture.h"

#include "exchange/CardProperties.h"
#include "search/SearchState.h"
#include "ui/forms/FrmCerca.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

// Plays the user's part in the search dialog: type the argument and press Cerca, or press "*".
std::function<void(QDialog &)> searchFor(const QString &text, int scope = 0)
{
    return [text, scope](QDialog &dialog) {
        auto &form = static_cast<FrmCerca &>(dialog);
        if (text == "*")
            return form.Command3D2_Click();
        form.Text1->setText(text);
        form.Option3D1[scope]->setChecked(true);
        form.Command3D1_Click();
    };
}

} // namespace

class TestPhoneSearch : public PhoneTest
{
    Q_OBJECT
private slots:
    void init()
    {
        f = std::make_unique<PhoneFixture>();
        f->test.add("Bianchi", "Anna", {{Field::HomeCity, "Rossiglione"}});
        f->test.add("Bruni", "Rossina");
        f->test.add("Neri", "Ugo");
        f->test.add("verdi", "Luca", {{Field::Note, "amico di Rossi"}});
    }

    void searchShowsTheHitsOnly()
    {
        f->platform.dialogScripts.enqueue(searchFor(u"rossi"_s));
        f->load();
        QCOMPARE(f->phone->windowTitle(), u"Rubrello - ( ROSSI )"_s);
        QCOMPARE(f->treeLines(), (QStringList{"B", "Bianchi, Anna", "Bruni, Rossina", "V", "verdi, Luca"}));
        QVERIFY(f->tree().Expand(0) && !f->tree().Expand(3));
        QCOMPARE(f->tree().ListIndex(), 1);
        QCOMPARE(f->caption(), u"Bianchi, Anna"_s);
        QTRY_COMPARE(PhoneFixture::focusName(), u"Outline1"_s);
        // A change on the card is saved first; the dialog opens again with the last search; the scope
        // chosen there reaches the search.
        f->type(u"tFName"_s, u"no"_s);
        QString offered;
        f->platform.dialogScripts.enqueue([&offered](QDialog &dialog) {
            offered = static_cast<FrmCerca &>(dialog).Text1->text();
            searchFor(offered, 2)(dialog);
        });
        f->act(u"FileCerca"_s);
        QCOMPARE(offered, u"rossi"_s);
        QCOMPARE(f->platform.messages.size(), 1);
        QCOMPARE(f->test.store().readAll().at(0).text(Field::FirstName), u"Annano"_s);
        QCOMPARE(f->treeLines(), (QStringList{"B", "Bruni, Rossina"}));

        // A contact outside the hits selects no line, and deleting it takes no hit's line away.
        for (const QString &move : {u"Data1_first"_s, u"Data1_next"_s, u"Data1_next"_s})
            f->act(move);
        QCOMPARE(f->caption(), u"Neri, Ugo"_s);
        QCOMPARE(f->tree().ListIndex(), -1);
        f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
        f->act(u"cDelete"_s);
        QCOMPARE(f->treeLines(), (QStringList{"B", "Bruni, Rossina"}));
    }

    // The tree shows the hits as each letter is typed, with their count in the dialog; an emptied box
    // shows the whole agenda again; Enter keeps the last hits and opens the first one's card on the
    // page of its match, the matched text selected, even where a contact of the same name that is no
    // hit comes first.
    void liveHitsAndTheMatchOnTheCard()
    {
        ContactRecord earlier = f->test.store().readAll().at(3);
        earlier.setValue(Field::Note, u"collega"_s);
        QVERIFY(f->test.store().update(earlier));
        f->test.add("verdi", "Luca", {{Field::Note, "amico di Rossi"}});
        QStringList seen;
        f->platform.dialogScripts.enqueue([&](QDialog &dialog) {
            auto &form = static_cast<FrmCerca &>(dialog);
            const auto typeAndLook = [&](const QString &keys) {
                QTest::keyClicks(form.Text1, keys);
                seen.append(f->phone->windowTitle() + u" | "_s + f->treeLines().join(u',') + u" | "_s
                    + form.lblTrovati->text());
            };
            typeAndLook(u"rossi"_s);
            typeAndLook(u"glione"_s);
            form.Text1->selectAll();
            QTest::keyClick(form.Text1, Qt::Key_Backspace);
            seen.append(f->phone->windowTitle() + u" | "_s + QString::number(f->tree().ListCount()) + u" | "_s
                + form.lblTrovati->text());
            typeAndLook(u"amico ROSSÌ"_s);
            QTest::keyClick(form.Text1, Qt::Key_Return);
        });
        f->load();
        QCOMPARE(seen,
            (QStringList{
                u"Rubrello - ( ROSSI ) | B,Bianchi, Anna,Bruni, Rossina,V,verdi, Luca | 3 contatti trovati"_s,
                u"Rubrello - ( ROSSIGLIONE ) | B,Bianchi, Anna | 1 contatto trovato"_s,
                u"Rubrello - Tutta l'agenda | 31 | "_s,
                u"Rubrello - ( AMICO ROSSÌ ) | V,verdi, Luca | 1 contatto trovato"_s,
            }));
        QCOMPARE(f->caption(), u"verdi, Luca"_s);
        const auto *notes = f->find<QPlainTextEdit>(u"tNotes"_s);
        QVERIFY(notes->isVisible());
        QCOMPARE(notes->textCursor().selectedText(), u"amico"_s);

        f->platform.dialogScripts.enqueue(searchFor(u"rossiglione"_s));
        f->act(u"BtnCerca"_s);
        QCOMPARE(f->caption(), u"Bianchi, Anna"_s);
        const auto *homeCity = f->find<QLineEdit>(u"tCity_1"_s);
        QVERIFY(homeCity->isVisible() && !notes->isVisible());
        QCOMPARE(homeCity->selectedText(), u"Rossiglione"_s);
    }

    // What an imported contact came with beyond the card's boxes is searched too, and the card opens
    // on it.
    void searchFindsOtherData()
    {
        const qint64 id = f->test.add("Gialli", "Eva");
        sqlite3 *db = f->test.store().connection();
        QString error;
        QVERIFY(ensureCardPropertiesTable(db, &error));
        QVERIFY(CardPropertiesWriter(db).write(
            id, preparedContact({{}, {{CardRole::None, {{}, u"NICKNAME"_s, {}, u"Zorro"_s, {}}}}}), &error));
        f->platform.dialogScripts.enqueue(searchFor(u"zorro"_s));
        f->load();
        QCOMPARE(f->treeLines(), (QStringList{"G", "Gialli, Eva"}));
        const auto *otherData = f->find<QTreeWidget>(u"lstAltriDati"_s);
        QVERIFY(otherData->isVisible() && otherData->currentItem());
        QCOMPARE(otherData->currentItem()->text(1), u"Zorro"_s);
    }

    // Hits that the record order puts before A or after Z are shown under their letters, "#" last;
    // the card's moves select their letters there.
    void hitsUnderTheirLetters()
    {
        const qint64 digit = f->test.add("3M", "Rossana");
        const qint64 stroke = f->test.add("Ørsted", "Rossella");
        f->platform.dialogScripts.enqueue(searchFor(u"ross"_s));
        f->load();
        QCOMPARE(f->treeLines(),
            (QStringList{"B", "Bianchi, Anna", "Bruni, Rossina", "O", "Ørsted, Rossella", "V", "verdi, Luca",
                "#", "3M, Rossana"}));
        Outline &tree = f->tree();
        for (const auto &[move, id, letter] :
            {std::tuple{"Data1_first", digit, "#"}, std::tuple{"Data1_last", stroke, "O"}}) {
            f->act(QString::fromLatin1(move));
            QCOMPARE(f->data().currentId(), id);
            QCOMPARE(tree.List(tree.ListIndex()), QString::fromLatin1(letter));
        }
    }

    void wholeAgenda_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("start-up dialog closed from its frame") << "";
        QTest::newRow("nothing found") << "introvabile";
        QTest::newRow("the star button") << "*";
        QTest::newRow("a save") << "save";
    }
    // The whole agenda again, named in the title; a search found nowhere says so.
    void wholeAgenda()
    {
        QFETCH(QString, way);
        if (!way.isEmpty())
            f->platform.dialogScripts.enqueue(searchFor(u"rossi"_s));
        f->load();
        QCOMPARE(f->platform.modalForms, QStringList{u"FrmCerca"_s}); // once at start-up
        if (way == "save") {
            f->type(u"tFName"_s, u"lisa"_s);
            f->save();
        } else if (!way.isEmpty()) {
            f->platform.dialogScripts.enqueue(searchFor(way));
            f->act(u"BtnCerca"_s);
        }
        QCOMPARE(f->platform.messages.size(), way == "introvabile" || way == "save" ? 1 : 0);
        QCOMPARE(f->phone->windowTitle(), u"Rubrello - Tutta l'agenda"_s);
        QCOMPARE(f->tree().ListCount(), 26 + 4);
        if (way != "save") // a save keeps the last search for the dialog
            QCOMPARE(searchState().SearchText, QString());
    }
};

QTEST_MAIN(TestPhoneSearch)
#include "test_phone_search.moc"
