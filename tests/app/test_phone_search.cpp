// The search from the main window: the start-up dialog, a search with hits, one without, and
// the save that comes first.
#include "PhoneFixture.h"

#include "ui/controls/Outline.h"
#include "ui/forms/FrmCerca.h"
#include "search/SearchState.h"

#include <QLineEdit>
#include <QRadioButton>

namespace {

// Plays the user's part in the search dialog: type the argument and press Cerca.
std::function<void(QDialog &)> searchFor(const QString &text, int scope = 0)
{
    return [text, scope](QDialog &dialog) {
        auto &form = static_cast<FrmCerca &>(dialog);
        form.Text1->setText(text);
        form.Option3D1[scope]->setChecked(true);
        form.Command3D1_Click();
    };
}

QStringList treeLines(const Outline &tree)
{
    QStringList lines;
    for (int i = 0; i < tree.ListCount(); ++i)
        lines.append(tree.List(i));
    return lines;
}

} // namespace

class TestPhoneSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void startUpOpensTheDialogOnce();
    void searchShowsTheHitsOnly();
    void noHitShowsTheWholeAgenda();
    void starShowsTheWholeAgenda();
    void pendingChangesAreSavedBeforeTheDialog();
    void titleNamesWhatTheTreeShows_data();
    void titleNamesWhatTheTreeShows();
    void contactOutsideTheHitsSelectsNoLine();

private:
    std::unique_ptr<PhoneFixture> f;
};

void TestPhoneSearch::init()
{
    f = std::make_unique<PhoneFixture>();
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"), {{Field::HomeCity, QStringLiteral("Rossiglione")}});
    f->test.add(QStringLiteral("Bruni"), QStringLiteral("Rossina"));
    f->test.add(QStringLiteral("Neri"), QStringLiteral("Ugo"));
    f->test.add(QStringLiteral("verdi"), QStringLiteral("Luca"), {{Field::Note, QStringLiteral("amico di Rossi")}});
}

void TestPhoneSearch::startUpOpensTheDialogOnce()
{
    f->load();
    QCOMPARE(f->platform.modalForms, QStringList{QStringLiteral("FrmCerca")});
    // Closed from its frame, the dialog leaves the empty argument: the whole agenda.
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));
    QCOMPARE(f->phone->Outline1->ListCount(), 26 + 4);
}

void TestPhoneSearch::searchShowsTheHitsOnly()
{
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("rossi")));
    f->load();
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - ( ROSSI )"));
    const Outline &tree = *f->phone->Outline1;
    QCOMPARE(treeLines(tree), (QStringList{"B", "Bianchi, Anna", "Bruni, Rossina", "V", "verdi, Luca"}));
    QVERIFY(tree.Expand(0));
    QVERIFY(!tree.Expand(3));
    QCOMPARE(tree.ListIndex(), 1);
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Bianchi, Anna"));
    QCOMPARE(f->phone->RememberedID, f->phone->Data1->currentId());
    QTRY_COMPARE(PhoneFixture::focusName(), QStringLiteral("Outline1"));
    // The dialog opens again with the last search.
    f->platform.dialogScripts.enqueue([](QDialog &dialog) {
        auto &form = static_cast<FrmCerca &>(dialog);
        QCOMPARE(form.Text1->text(), QStringLiteral("rossi"));
        form.Option3D1[2]->setChecked(true);
        form.Command3D1_Click();
    });
    f->phone->FileCerca->trigger();
    // Without the notes and the Casa fields only Bruni, Rossina holds it.
    QCOMPARE(treeLines(tree), (QStringList{"B", "Bruni, Rossina"}));
}

void TestPhoneSearch::noHitShowsTheWholeAgenda()
{
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("zzz")));
    f->load();
    QCOMPARE(f->platform.messages.size(), 0); // cleared by load(); look at what load() saw instead
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("introvabile")));
    f->phone->BtnCerca_Click();
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text,
             QStringLiteral("Non trovato record nella ricerca: Verrà visualizzata tutta l'agenda!"));
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));
    QCOMPARE(f->phone->Outline1->ListCount(), 26 + 4);
    QCOMPARE(f->phone->RememberedID, 0);
    QCOMPARE(searchState().SearchText, QString());
}

void TestPhoneSearch::starShowsTheWholeAgenda()
{
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("rossi")));
    f->load();
    f->platform.dialogScripts.enqueue([](QDialog &dialog) { static_cast<FrmCerca &>(dialog).Command3D2_Click(); });
    f->phone->BtnCerca_Click();
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));
    QCOMPARE(f->phone->Outline1->ListCount(), 26 + 4);
}

void TestPhoneSearch::pendingChangesAreSavedBeforeTheDialog()
{
    f->load();
    f->phone->Data1->MoveLast();
    QTest::keyClick(f->phone->tFName, Qt::Key_End);
    QTest::keyClicks(f->phone->tFName, QStringLiteral("no"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("luca")));
    f->phone->BtnCerca_Click();
    QCOMPARE(f->platform.messages.value(0).text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(treeLines(*f->phone->Outline1), (QStringList{"V", "verdi, Lucano"}));
}

void TestPhoneSearch::titleNamesWhatTheTreeShows_data()
{
    QTest::addColumn<QString>("after");
    QTest::newRow("save") << "save";
    QTest::newRow("agenda printout") << "agenda printout";
}

void TestPhoneSearch::titleNamesWhatTheTreeShows()
{
    QFETCH(QString, after);
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("rossi")));
    f->load();
    if (after == "save") {
        QTest::keyClick(f->phone->tFName, Qt::Key_End);
        QTest::keyClicks(f->phone->tFName, QStringLiteral("lisa"));
        f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
        f->phone->cUpdate_Click();
    } else {
        f->platform.inputAnswers.enqueue(QStringLiteral("*"));
        f->phone->FileStampaAgenda_Click();
    }
    QCOMPARE(f->phone->Outline1->ListCount(), 26 + 4);
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));
}

void TestPhoneSearch::contactOutsideTheHitsSelectsNoLine()
{
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("rossi")));
    f->load();
    const QStringList hits = treeLines(*f->phone->Outline1);
    // Neri, Ugo holds no "rossi": moving to him must not leave Bianchi's line selected.
    f->phone->Data1->FindFirst(ByName{QStringLiteral("Neri"), QStringLiteral("Ugo")});
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Neri, Ugo"));
    QCOMPARE(f->phone->Outline1->ListIndex(), -1);
    // Deleting him takes no hit's line away.
    f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
    f->phone->cDelete_Click();
    QCOMPARE(treeLines(*f->phone->Outline1), hits);
    QCOMPARE(f->test.store().count(), 3);
}

QTEST_MAIN(TestPhoneSearch)
#include "test_phone_search.moc"
