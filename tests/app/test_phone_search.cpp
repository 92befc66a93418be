// The search from the main window: the start-up dialog, a search with hits, one without, and
// the save that comes first.
#include "PhoneFixture.h"

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

} // namespace

class TestPhoneSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void searchShowsTheHitsOnly();
    void wholeAgenda_data();
    void wholeAgenda();
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


void TestPhoneSearch::searchShowsTheHitsOnly()
{
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("rossi")));
    f->load();
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - ( ROSSI )"));
    const Outline &tree = f->tree();
    QCOMPARE(f->treeLines(), (QStringList{"B", "Bianchi, Anna", "Bruni, Rossina", "V", "verdi, Luca"}));
    QVERIFY(tree.Expand(0));
    QVERIFY(!tree.Expand(3));
    QCOMPARE(tree.ListIndex(), 1);
    QCOMPARE(f->caption(), QStringLiteral("Bianchi, Anna"));
    QTRY_COMPARE(PhoneFixture::focusName(), QStringLiteral("Outline1"));
    // The dialog opens again with the last search.
    f->platform.dialogScripts.enqueue([](QDialog &dialog) {
        auto &form = static_cast<FrmCerca &>(dialog);
        QCOMPARE(form.Text1->text(), QStringLiteral("rossi"));
        form.Option3D1[2]->setChecked(true);
        form.Command3D1_Click();
    });
    f->trigger(QStringLiteral("FileCerca"));
    // Without the notes and the Casa fields only Bruni, Rossina holds it.
    QCOMPARE(f->treeLines(), (QStringList{"B", "Bruni, Rossina"}));
}

void TestPhoneSearch::wholeAgenda_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("start-up dialog closed from its frame") << "";
    QTest::newRow("nothing found") << "introvabile";
    QTest::newRow("the star button") << "*";
}

// The whole agenda again, and a search found nowhere says so.
void TestPhoneSearch::wholeAgenda()
{
    QFETCH(QString, way);
    if (!way.isEmpty())
        f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("rossi")));
    f->load();
    QCOMPARE(f->platform.modalForms, QStringList{QStringLiteral("FrmCerca")}); // once at start-up
    if (way == QLatin1String("*"))
        f->platform.dialogScripts.enqueue([](QDialog &dialog) { static_cast<FrmCerca &>(dialog).Command3D2_Click(); });
    else if (!way.isEmpty())
        f->platform.dialogScripts.enqueue(searchFor(way));
    if (!way.isEmpty())
        f->click(QStringLiteral("BtnCerca"));
    QCOMPARE(f->platform.messages.size(), way == QLatin1String("introvabile") ? 1 : 0);
    if (!f->platform.messages.isEmpty())
        QCOMPARE(f->platform.messages[0].text,
                 QStringLiteral("Non trovato record nella ricerca: Verrà visualizzata tutta l'agenda!"));
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));
    QCOMPARE(f->tree().ListCount(), 26 + 4);
    QCOMPARE(searchState().SearchText, QString());
}

void TestPhoneSearch::pendingChangesAreSavedBeforeTheDialog()
{
    f->load();
    f->click(QStringLiteral("Data1_last"));
    f->type(QStringLiteral("tFName"), QStringLiteral("no"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("luca")));
    f->click(QStringLiteral("BtnCerca"));
    QCOMPARE(f->platform.messages.value(0).text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(f->treeLines(), (QStringList{"V", "verdi, Lucano"}));
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
        f->type(QStringLiteral("tFName"), QStringLiteral("lisa"));
        f->save();
    } else {
        f->platform.inputAnswers.enqueue(QStringLiteral("*"));
        f->trigger(QStringLiteral("FileStampaAgenda"));
    }
    QCOMPARE(f->tree().ListCount(), 26 + 4);
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));
}

void TestPhoneSearch::contactOutsideTheHitsSelectsNoLine()
{
    f->platform.dialogScripts.enqueue(searchFor(QStringLiteral("rossi")));
    f->load();
    const QStringList hits = f->treeLines();
    // Neri, Ugo holds no "rossi": moving to him must not leave Bianchi's line selected.
    f->click(QStringLiteral("Data1_next"));
    f->click(QStringLiteral("Data1_next"));
    QCOMPARE(f->caption(), QStringLiteral("Neri, Ugo"));
    QCOMPARE(f->tree().ListIndex(), -1);
    // Deleting him takes no hit's line away.
    f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
    f->click(QStringLiteral("cDelete"));
    QCOMPARE(f->treeLines(), hits);
    QCOMPARE(f->test.store().count(), 3);
}

QTEST_MAIN(TestPhoneSearch)
#include "test_phone_search.moc"
