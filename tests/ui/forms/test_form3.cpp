// The About form: its controls, the label's message, closing with OK, centring and the picture.
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "ui/forms/Form3.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestForm3 : public QObject
{
    Q_OBJECT
private slots:
    void labelAnswersEveryClickAndOnlyOkCloses();
    void centredWithVersionShown();
    void picture();
};

void TestForm3::labelAnswersEveryClickAndOnlyOkCloses()
{
    ScriptedUiPlatform platform;
    bool openAfterLabel = false;
    bool closedByOk = false;
    platform.dialogScripts.enqueue([&](QDialog &dialog) {
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(dialog.findChild<QLabel *>(u"Label1_3"_s), Qt::LeftButton);
        openAfterLabel = dialog.isVisible();
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"Command3D1"_s), Qt::LeftButton);
        closedByOk = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
    });
    Form3 form(platform);
    platform.runModal(form);
    QCOMPARE(platform.modalForms, QStringList{u"Form3"_s});
    QVERIFY(openAfterLabel && closedByOk);
    QCOMPARE(platform.messages.size(), 3);
    QVERIFY(platform.messages.last().text.contains(u"tempo libero"_s));
}

void TestForm3::centredWithVersionShown()
{
    ScriptedUiPlatform platform;
    platform.screen = QSize(1366, 767);
    Form3 form(platform);
    const QRect frame = form.frameGeometry();
    QCOMPARE(frame.topLeft(), QPoint((1366 - frame.width()) / 2, (767 - frame.height()) / 2));
    bool versionShown = false;
    for (const QLabel *label : form.findChildren<QLabel *>())
        versionShown = versionShown || label->text().contains(QStringLiteral(RUBRELLO_VERSION));
    QVERIFY(versionShown);
}

void TestForm3::picture()
{
    // The built-in drawing, another one, a broken file and a missing one: the name stands in for the
    // last two.
    QTemporaryDir dir;
    const QByteArray other = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"80\">"
                             "<rect width=\"40\" height=\"80\" fill=\"#c00\"/></svg>";
    const std::pair<QByteArray, bool> files[]
        = {{{}, true}, {other, true}, {"not a drawing", false}, {"-", false}};
    for (const auto &[contents, drawn] : files) {
        QString path = Form3::defaultPicturePath();
        if (!contents.isEmpty()) {
            path = dir.filePath(u"about%1.svg"_s.arg(contents.size()));
            if (contents != "-")
                writeBytes(path, contents);
        }
        ScriptedUiPlatform platform;
        Form3 form(platform, nullptr, path);
        auto *picture = form.findChild<QLabel *>(u"Picture1"_s);
        // Something is painted, not just a transparent square.
        const QImage image = picture->pixmap().toImage();
        QVERIFY(drawn ? !image.isNull() && image.pixelColor(image.width() / 2, image.height() / 2).alpha() > 0
                      : picture->pixmap().isNull() && picture->text() == u"Rubrello"_s);
    }
}

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
