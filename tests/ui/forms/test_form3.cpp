// The About form: its controls, the label's message, closing with OK, centring and the picture.
#include "ui/forms/Form3.h"
#include "tests/support/ScriptedPlatform.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString LabelMessage = QStringLiteral(
    "Quante ore hai perso per cercare i tuoi numeri di telefono? Ora avrai molto più tempo libero!");

} // namespace

class TestForm3 : public QObject
{
    Q_OBJECT
private slots:
    void controls();
    void labelAnswersEveryClickAndOnlyOkCloses_data();
    void labelAnswersEveryClickAndOnlyOkCloses();
    void centredOnTheScreen_data();
    void centredOnTheScreen();
    void picture_data();
    void picture();
};

void TestForm3::controls()
{
    ScriptedUiPlatform platform;
    Form3 form(platform);
    QCOMPARE(form.objectName(), QStringLiteral("Form3"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Rubrello"));
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("Picture1")), form.Picture1);
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("Label1_3")), form.Label1);
    QCOMPARE(form.findChild<QPushButton *>(QStringLiteral("Command3D1")), form.Command3D1);
    QCOMPARE(form.Command3D1->text(), QStringLiteral("&OK"));

    bool versionShown = false;
    for (const QLabel *label : form.findChildren<QLabel *>())
        versionShown = versionShown || label->text().contains(QStringLiteral(RUBRELLO_VERSION));
    QVERIFY(versionShown);
}

void TestForm3::labelAnswersEveryClickAndOnlyOkCloses_data()
{
    QTest::addColumn<int>("clicks");
    QTest::newRow("once") << 1;
    QTest::newRow("three times") << 3;
}

void TestForm3::labelAnswersEveryClickAndOnlyOkCloses()
{
    QFETCH(int, clicks);

    ScriptedUiPlatform platform;
    bool openAfterLabel = false;
    bool closedByOk = false;
    platform.dialogScripts.enqueue([&](QDialog &dialog) {
        auto &form = static_cast<Form3 &>(dialog);
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(form.Label1, Qt::LeftButton);
        openAfterLabel = form.isVisible();
        QTest::mouseClick(form.Command3D1, Qt::LeftButton);
        closedByOk = !form.isVisible() && form.result() == QDialog::Accepted;
    });

    Form3 form(platform);
    platform.runModal(form);

    QCOMPARE(platform.modalForms, QStringList {QStringLiteral("Form3")});
    QVERIFY(openAfterLabel);
    QVERIFY(closedByOk);
    QCOMPARE(platform.messages.size(), clicks);
    for (const MessageRequest &message : platform.messages) {
        QCOMPARE(message.text, LabelMessage);
        QCOMPARE(message.icon, MessageIcon::Exclamation);
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QVERIFY(message.title.isEmpty()); // the program's title
    }
}

void TestForm3::centredOnTheScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::newRow("1280 x 1024") << QSize(1280, 1024);
    QTest::newRow("800 x 600") << QSize(800, 600);
    QTest::newRow("odd sizes") << QSize(1366, 767);
}

void TestForm3::centredOnTheScreen()
{
    QFETCH(QSize, screen);

    ScriptedUiPlatform platform;
    platform.screen = screen;
    Form3 form(platform);
    const QRect frame = form.frameGeometry();
    QCOMPARE(frame.left(), (screen.width() - frame.width()) / 2);
    QCOMPARE(frame.top(), (screen.height() - frame.height()) / 2);
}

void TestForm3::picture_data()
{
    QTest::addColumn<QByteArray>("fileContents"); // empty: the built-in picture
    QTest::addColumn<bool>("missing");
    QTest::addColumn<bool>("drawn");

    QTest::newRow("built-in picture") << QByteArray() << false << true;
    QTest::newRow("other drawing") << QByteArray(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"80\">"
        "<rect width=\"40\" height=\"80\" fill=\"#c00\"/></svg>")
                                   << false << true;
    QTest::newRow("broken file") << QByteArray("not a drawing") << false << false;
    QTest::newRow("missing file") << QByteArray() << true << false;
}

void TestForm3::picture()
{
    QFETCH(QByteArray, fileContents);
    QFETCH(bool, missing);
    QFETCH(bool, drawn);

    QTemporaryDir dir;
    QString path = Form3::defaultPicturePath();
    if (missing || !fileContents.isEmpty()) {
        path = dir.filePath(QStringLiteral("about.svg"));
        if (!missing) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(fileContents);
        }
    }

    ScriptedUiPlatform platform;
    Form3 form(platform, nullptr, path);
    QCOMPARE(!form.Picture1->pixmap().isNull(), drawn);
    if (drawn) {
        // Something was painted, not just a transparent square.
        const QImage image = form.Picture1->pixmap().toImage();
        QVERIFY(image.pixelColor(image.width() / 2, image.height() / 2).alpha() > 0);
    } else {
        QCOMPARE(form.Picture1->text(), QStringLiteral("Rubrello"));
    }
}

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
