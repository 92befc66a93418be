// The search dialog: it shows the search state, and writes it back only through its two buttons
// and the two keys of the text box that stand for them.
#include "search/SearchState.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/text/CaseTable.h"
#include "ui/forms/FrmCerca.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

template<typename W>
W *control(QDialog &dialog, const QString &name)
{
    W *widget = dialog.findChild<W *>(name);
    if (!widget)
        qFatal("FrmCerca has no %s", qPrintable(name));
    return widget;
}

QRadioButton *option(QDialog &dialog, int i)
{
    return control<QRadioButton>(dialog, u"Option3D1_%1"_s.arg(i));
}

void setState(const QString &text)
{
    const QStringList parts = text.split('|');
    searchState() = {parts[0], qint16(parts[1].toInt()), parts[2] == "1"};
}

QString stateText()
{
    const SearchState &state = searchState();
    return state.SearchText + '|' + QString::number(state.SearchScope) + '|'
        + QString::number(state.IgnoreCase);
}

} // namespace

class TestFrmCerca : public QObject
{
    Q_OBJECT
private slots:
    void formLoadShowsState();
    void answers_data()
    {
        addCaseRows("ui/frmcerca.tsv", {"before", "typed", "option", "checked", "action", "after"});
    }
    void answers();
};

void TestFrmCerca::formLoadShowsState()
{
    for (const QString &state : {u"|0|1"_s, u"  rossi |2|0"_s, u"Roma|3|1"_s, u"x|7|1"_s}) {
        setState(state);
        ScriptedUiPlatform platform;
        platform.screen = QSize(1000, 800);
        FrmCerca dialog(platform, nullptr);
        dialog.Form_Load();
        const QRect frame = dialog.frameGeometry(); // centred on the screen
        QCOMPARE(frame.topLeft(), QPoint((1000 - frame.width()) / 2, (800 - frame.height()) / 2));
        auto *text = control<QLineEdit>(dialog, "Text1");
        QCOMPARE(text->text() + '|' + QString::number(searchState().SearchScope) + '|'
                + QString::number(control<QCheckBox>(dialog, "Check3D2")->isChecked()),
            state);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(option(dialog, i)->isChecked(), i == searchState().SearchScope);
        QCOMPARE(dialog.focusWidget(), text); // typing goes straight into the text box
    }
}

void TestFrmCerca::answers()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, option);
    QFETCH(QByteArray, checked);
    QFETCH(QByteArray, action);
    QFETCH(QByteArray, after);
    setState(utf8(before));
    ScriptedUiPlatform platform;
    bool closedByItself = false;
    int result = -1;
    platform.dialogScripts.enqueue([&](QDialog &dialog) {
        auto *text = control<QLineEdit>(dialog, "Text1");
        text->clear();
        // Typed as the keyboard does, accented letters included.
        for (const QChar c : utf8(typed))
            QTest::sendKeyEvent(QTest::Click, text,
                c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown, QString(c),
                Qt::NoModifier);
        if (option.toInt() >= 0)
            QTest::mouseClick(::option(dialog, option.toInt()), Qt::LeftButton);
        auto *box = control<QCheckBox>(dialog, "Check3D2");
        if (box->isChecked() != (checked == "1"))
            QTest::mouseClick(box, Qt::LeftButton);
        if (action == "cerca" || action == "tutta")
            QTest::mouseClick(control<QToolButton>(dialog, action == "cerca" ? "Command3D1" : "Command3D2"),
                Qt::LeftButton);
        else if (action == "enter" || action == "escape")
            QTest::keyClick(text, action == "enter" ? Qt::Key_Return : Qt::Key_Escape);
        else if (action == "escapeElsewhere")
            QTest::keyClick(box, Qt::Key_Escape);
        closedByItself = !dialog.isVisible();
        result = dialog.result();
    });
    askSearchArgument(platform, nullptr);
    QCOMPARE(platform.modalForms, QStringList{"FrmCerca"});
    QCOMPARE(closedByItself, action != "close");
    // Only the two buttons and the keys that stand for them answer; Escape elsewhere is a plain close.
    if (closedByItself)
        QCOMPARE(result, int(action == "escapeElsewhere" ? QDialog::Rejected : QDialog::Accepted));
    QCOMPARE(stateText(), utf8(after));
}

QTEST_MAIN(TestFrmCerca)
#include "test_frmcerca.moc"
