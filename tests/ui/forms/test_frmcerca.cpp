// The search dialog: it shows the search state, and writes it back only through its two buttons
// and the two keys of the text box that stand for them.
#include "tests/support/ScriptedPlatform.h"
#include "ui/forms/FrmCerca.h"
#include "search/SearchState.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

template<typename W> W *control(QDialog &dialog, const char *name)
{
    W *widget = dialog.findChild<W *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("FrmCerca has no %s", name);
    return widget;
}

// Types like the keyboard does, accented letters included.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

SearchState stateOf(const QString &text, int scope, bool ignoreCase)
{
    SearchState state;
    state.SearchText = text;
    state.SearchScope = static_cast<qint16>(scope);
    state.IgnoreCase = ignoreCase;
    return state;
}

} // namespace

Q_DECLARE_METATYPE(SearchState)

class TestFrmCerca : public QObject
{
    Q_OBJECT
private slots:
    void init() { searchState().reset(); }
    void formLoadShowsState_data();
    void formLoadShowsState();
    void answers_data();
    void answers();
    void tabOrder();
};

void TestFrmCerca::formLoadShowsState_data()
{
    QTest::addColumn<SearchState>("state");
    QTest::addColumn<int>("checkedOption"); // -1: none

    QTest::newRow("start-up") << stateOf("", 0, true) << 0;
    QTest::newRow("last search") << stateOf("  rossi ", 2, false) << 2;
    QTest::newRow("Casa only") << stateOf("Roma", 3, true) << 3;
    QTest::newRow("scope out of range") << stateOf("x", 7, true) << -1;
}

void TestFrmCerca::formLoadShowsState()
{
    QFETCH(SearchState, state);
    QFETCH(int, checkedOption);

    searchState() = state;
    ScriptedUiPlatform platform;
    platform.screen = QSize(1000, 800);
    FrmCerca dialog(platform, nullptr);
    dialog.Form_Load();

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Rubrello - Argomento"));
    QCOMPARE(dialog.pos(), QPoint((1000 - 410) / 2, (800 - 305) / 2));
    QCOMPARE(control<QLineEdit>(dialog, "Text1")->text(), state.SearchText);
    QCOMPARE(control<QCheckBox>(dialog, "Check3D2")->isChecked(), state.IgnoreCase);
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "Option3D1_" + QByteArray::number(i);
        QCOMPARE(control<QRadioButton>(dialog, name.constData())->isChecked(), i == checkedOption);
    }
    QCOMPARE(dialog.focusWidget(), control<QLineEdit>(dialog, "Text1"));
}

void TestFrmCerca::answers_data()
{
    QTest::addColumn<SearchState>("before");
    QTest::addColumn<QString>("typed"); // replaces the text shown
    QTest::addColumn<int>("option"); // the option the user picks, -1: none
    QTest::addColumn<bool>("checked"); // the case box as the user leaves it
    QTest::addColumn<QString>("action"); // cerca, tutta, enter, escape, escapeElsewhere, close
    QTest::addColumn<SearchState>("after");

    const SearchState old = stateOf("vecchio", 1, false);
    QTest::newRow("Cerca") << old << "rossi" << 2 << true << "cerca" << stateOf("rossi", 2, true);
    QTest::newRow("Cerca keeps blanks")
        << old << "  rossi " << 3 << false << "cerca" << stateOf("  rossi ", 3, false);
    QTest::newRow("Cerca with nothing typed") << old << "" << 0 << false << "cerca" << stateOf("*", 0, false);
    QTest::newRow("Cerca with accents")
        << old << "Nicolò Perù" << 0 << true << "cerca" << stateOf("Nicolò Perù", 0, true);
    QTest::newRow("Cerca keeps a star inside")
        << old << "a*" << 0 << true << "cerca" << stateOf("a*", 0, true);
    QTest::newRow("Enter is Cerca") << old << "verdi" << 1 << true << "enter" << stateOf("verdi", 1, true);
    QTest::newRow("Enter with nothing typed") << old << "" << 2 << true << "enter" << stateOf("*", 2, true);
    QTest::newRow("Tutta l'agenda ignores the controls")
        << old << "rossi" << 3 << false << "tutta" << stateOf("*", 0, true);
    QTest::newRow("Escape is Tutta l'agenda")
        << old << "rossi" << 3 << false << "escape" << stateOf("*", 0, true);
    QTest::newRow("Escape elsewhere closes unanswered")
        << old << "rossi" << 3 << true << "escapeElsewhere" << old;
    QTest::newRow("closed from the frame") << old << "rossi" << 2 << true << "close" << old;
    QTest::newRow("no option chosen keeps the scope")
        << stateOf("x", 9, true) << "y" << -1 << true << "cerca" << stateOf("y", 9, true);
}

void TestFrmCerca::answers()
{
    QFETCH(SearchState, before);
    QFETCH(QString, typed);
    QFETCH(int, option);
    QFETCH(bool, checked);
    QFETCH(QString, action);
    QFETCH(SearchState, after);

    searchState() = before;
    ScriptedUiPlatform platform;
    bool closedByItself = false;
    int result = -1;
    platform.dialogScripts.enqueue([&](QDialog &dialog) {
        auto *text = control<QLineEdit>(dialog, "Text1");
        text->clear();
        typeText(text, typed);
        if (option >= 0) {
            const QByteArray name = "Option3D1_" + QByteArray::number(option);
            QTest::mouseClick(control<QRadioButton>(dialog, name.constData()), Qt::LeftButton);
        }
        auto *box = control<QCheckBox>(dialog, "Check3D2");
        if (box->isChecked() != checked)
            QTest::mouseClick(box, Qt::LeftButton);

        if (action == QLatin1String("cerca"))
            QTest::mouseClick(control<QToolButton>(dialog, "Command3D1"), Qt::LeftButton);
        else if (action == QLatin1String("tutta"))
            QTest::mouseClick(control<QToolButton>(dialog, "Command3D2"), Qt::LeftButton);
        else if (action == QLatin1String("enter"))
            QTest::keyClick(text, Qt::Key_Return);
        else if (action == QLatin1String("escape"))
            QTest::keyClick(text, Qt::Key_Escape);
        else if (action == QLatin1String("escapeElsewhere"))
            QTest::keyClick(control<QCheckBox>(dialog, "Check3D2"), Qt::Key_Escape);
        closedByItself = !dialog.isVisible();
        result = dialog.result();
    });

    askSearchArgument(platform, nullptr);

    QCOMPARE(platform.modalForms, QStringList {"FrmCerca"});
    QCOMPARE(closedByItself, action != QLatin1String("close"));
    // Only the two buttons and the keys that stand for them answer; Escape elsewhere is a plain close.
    const bool answered = action != QLatin1String("close") && action != QLatin1String("escapeElsewhere");
    if (closedByItself)
        QCOMPARE(result, answered ? int(QDialog::Accepted) : int(QDialog::Rejected));
    const SearchState &state = searchState();
    QCOMPARE(state.SearchText, after.SearchText);
    QCOMPARE(state.SearchScope, after.SearchScope);
    QCOMPARE(state.IgnoreCase, after.IgnoreCase);
}

void TestFrmCerca::tabOrder()
{
    ScriptedUiPlatform platform;
    FrmCerca dialog(platform, nullptr);
    const QStringList expected = {"Text1", "Command3D1", "Command3D2", "Check3D2", "Option3D1_0",
        "Option3D1_1", "Option3D1_2", "Option3D1_3", "Text1"};
    QStringList chain;
    QWidget *widget = control<QLineEdit>(dialog, "Text1");
    chain.append(widget->objectName());
    while (chain.size() < expected.size()) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        chain.append(widget->objectName());
    }
    QCOMPARE(chain, expected);
}

QTEST_MAIN(TestFrmCerca)
#include "test_frmcerca.moc"
