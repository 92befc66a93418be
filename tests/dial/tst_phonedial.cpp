// The dial commands of the main window: which numbers reach the dialog, when the card is saved
// first, and the main window held out of use until the dialog has gone.
#include "tests/support/Typing.h"
#include "tests/app/PhoneFixture.h"

#include "ui/forms/Form1.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>

namespace {

// Types at the end of what the box holds.
void type(QWidget *box, const QString &text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    typeInto(box, text);
}

} // namespace

class PhoneDialTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void dialogShowsTheCardsNumbers();
    void dialButtonSavesPendingChangesFirst();
    void menuItemDoesNotSave();

private:
    Form1 *openDialog() const { return f->phone->findChild<Form1 *>("Form1"); }
    std::unique_ptr<PhoneFixture> f;
    qint64 m_id = 0;
};

void PhoneDialTest::init()
{
    f = std::make_unique<PhoneFixture>();
    // A new options file goes to the user's data folder: each test has one of its own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(QDir(f->test.directory()).filePath("data")));
    m_id = f->test.add("Rossi", "Mario",
        {{Field::WorkPhone, "02/1234567"}, {Field::HomePhone, "06 555"}, {Field::WorkFax, "02-999"},
            {Field::HomeFax, "fax?"}, {Field::Cellulare, "0335 1234567"}});
    f->load();
}

void PhoneDialTest::dialogShowsTheCardsNumbers()
{
    f->phone->FileChiama->trigger();
    QPointer<Form1> form = openDialog();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), form.data());
    const QStringList expected {"021234567", "06 555", "02999", "", "0335 1234567"};
    for (int k = 0; k < DialEntryCount; ++k)
        QCOMPARE(form->Panel3D1[k]->text(), expected[k]);
    QCOMPARE(form->optionsPath(),
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("RUBRELLO.INI"));

    // The prefix typed in is kept for the next opening.
    form->Text1->setText("02");
    form->Command3D2->click();
    QTRY_VERIFY(form.isNull());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    f->phone->FileChiama->trigger();
    form = openDialog();
    QVERIFY(form);
    QCOMPARE(form->Text1->text(), QString("02"));
    QCOMPARE(form->Panel3D1[0]->text(), QString("1234567"));
    QCOMPARE(form->Panel3D1[4]->text(), QString("0335 1234567"));

    QTest::mouseClick(form->Command3D1[0], Qt::LeftButton);
    QCOMPARE(f->platform.startedPrograms.size(), 1);
    QCOMPARE(f->platform.startedPrograms[0].program, QDir(f->test.directory()).filePath("rubrello-dialer"));
    QCOMPARE(f->platform.startedPrograms[0].arguments, QStringList {"1234567"});
}

void PhoneDialTest::dialButtonSavesPendingChangesFirst()
{
    type(f->phone->tPhone[0], "8");
    QVERIFY(!f->phone->FileNuovo->isEnabled());
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes); // the save flow's question
    f->phone->BtnChiama->click();
    QCOMPARE(f->test.store().read(m_id)->text(Field::WorkPhone), QString("02/12345678"));
    QVERIFY(f->phone->FileNuovo->isEnabled());
    QPointer<Form1> form = openDialog();
    QVERIFY(form);
    QCOMPARE(form->Panel3D1[0]->text(), QString("0212345678"));
}

void PhoneDialTest::menuItemDoesNotSave()
{
    type(f->phone->tPhone[0], "8");
    f->phone->FileChiama->trigger();
    QVERIFY(!f->phone->FileNuovo->isEnabled());
    QCOMPARE(f->test.store().read(m_id)->text(Field::WorkPhone), QString("02/1234567"));
    QPointer<Form1> form = openDialog();
    QVERIFY(form);
    // The dialog takes the numbers as the boxes hold them, saved or not.
    QCOMPARE(form->Panel3D1[0]->text(), QString("0212345678"));
}

QTEST_MAIN(PhoneDialTest)
#include "tst_phonedial.moc"
