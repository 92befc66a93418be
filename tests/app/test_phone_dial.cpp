// The dial commands of the main window: which numbers reach the dialog, which dialer it starts, and
// when the card is saved first. The dialog's own rules (prefixes, options file) are in test_form1.
#include "PhoneFixture.h"

#include "ui/forms/Form1.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>

class TestPhoneDial : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void dialogShowsTheCardsNumbers();
    void pendingChange_data();
    void pendingChange();

private:
    Form1 *openDialog() const { return f->phone->findChild<Form1 *>(QStringLiteral("Form1")); }
    std::unique_ptr<PhoneFixture> f;
    qint64 m_id = 0;
};

void TestPhoneDial::init()
{
    f = std::make_unique<PhoneFixture>();
    // A new options file goes to the user's data folder: each test has one of its own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(QDir(f->test.directory()).filePath("data")));
    m_id = f->test.add("Rossi", "Mario",
                       {{Field::WorkPhone, "02/1234567"}, {Field::HomePhone, "06 555"}, {Field::WorkFax, "02-999"},
                        {Field::HomeFax, "fax?"}, {Field::Cellulare, "0335 1234567"}});
    f->load();
}

void TestPhoneDial::dialogShowsTheCardsNumbers()
{
    f->trigger(QStringLiteral("FileChiama"));
    QPointer<Form1> form = openDialog();
    QVERIFY(form && form->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), form.data());
    const QStringList expected{"021234567", "06 555", "02999", "", "0335 1234567"};
    for (int k = 0; k < DialEntryCount; ++k)
        QCOMPARE(form->Panel3D1[k]->text(), expected[k]);
    QCOMPARE(form->optionsPath(),
             QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("RUBRELLO.INI"));

    // The dialer is the one beside the program.
    QTest::mouseClick(form->Command3D1[0], Qt::LeftButton);
    QCOMPARE(f->platform.startedPrograms.size(), 1);
    QCOMPARE(f->platform.startedPrograms[0].program, QDir(f->test.directory()).filePath("rubrello-dialer"));
    QCOMPARE(f->platform.startedPrograms[0].arguments, QStringList{"021234567"});
}

void TestPhoneDial::pendingChange_data()
{
    QTest::addColumn<bool>("button");
    QTest::newRow("the Dial button saves first") << true;
    QTest::newRow("the menu item does not save") << false;
}

// Either way the dialog takes the numbers as the boxes hold them.
void TestPhoneDial::pendingChange()
{
    QFETCH(bool, button);
    f->type(QStringLiteral("tPhone_0"), "8");
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes); // the save flow's question
    if (button)
        f->click(QStringLiteral("BtnChiama"));
    else
        f->trigger(QStringLiteral("FileChiama"));
    QCOMPARE(f->test.store().read(m_id)->text(Field::WorkPhone), button ? QString("02/12345678") : QString("02/1234567"));
    QCOMPARE(f->phone->hasPendingEdit(), !button);
    QPointer<Form1> form = openDialog();
    QVERIFY(form);
    QCOMPARE(form->Panel3D1[0]->text(), QString("0212345678"));
}

QTEST_MAIN(TestPhoneDial)
#include "test_phone_dial.moc"
