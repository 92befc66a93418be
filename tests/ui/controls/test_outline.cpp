// Outline1's control, shown and driven by a script of calls, clicks and keys per case. After every
// case the lookup must agree with a plain scan, and the view's open letters with the open flags.
#include "ui/controls/Outline.h"
#include "ui/controls/OutlineModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// Trees as text: "A" is a level-1 line, ">Abate, Ugo" a level-2 line.
const QStringList letters = {"A", ">Abate, Ugo", "B", ">Bruni, Eva", ">Bassi, Rita", "C"};
const QStringList equalNames
    = {"A", ">Abate, Ugo", ">Abate, Ugo", ">Alberti, Pia", "B", ">Bruni, Eva", ">Abate, Ugo", "C"};

void fill(Outline &outline, const QStringList &lines)
{
    for (const QString &line : lines) {
        outline.AddItem(line.startsWith(u'>') ? line.mid(1) : line);
        outline.setIndent(outline.ListCount() - 1, line.startsWith(u'>') ? 2 : 1);
    }
}

// Each line's full path, after "-" when hidden, "+" when it has sub-items, "*" when open.
QString treeOf(const Outline &outline)
{
    QStringList lines;
    for (int i = 0; i < outline.ListCount(); ++i)
        lines.append(QString(outline.IsItemVisible(i) ? "" : "-") + (outline.HasSubItems(i) ? "+" : "")
            + (outline.Expand(i) ? "*" : "") + outline.FullPath(i));
    return lines.join(u';');
}

} // namespace

class TestOutline : public QObject
{
    Q_OBJECT
private slots:
    void script_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("result"); // the events, the selected line, then the tree when given
        const auto row
            = [](const char *name, const QStringList &lines, const char *script, const char *result) {
                  QTest::newRow(name) << lines << QString::fromUtf8(script) << QString::fromUtf8(result);
              };
        // The model, through calls.
        row("letters closed", letters, "", "sel=-1 | +A;-A\\Abate, Ugo;+B;-B\\Bruni, Eva;-B\\Bassi, Rita;C");
        row("a contact's own flag hides nothing", letters, "open 2;open 3",
            "open:2 open:3 sel=-1 | +A;-A\\Abate, Ugo;+*B;*B\\Bruni, Eva;B\\Bassi, Rita;C");
        row("contact lines before any letter are top lines",
            {">Orfano, Ada", ">Solo, Ivo", "A", ">Abate, Ugo"}, "",
            "sel=-1 | Orfano, Ada;Solo, Ivo;+A;-A\\Abate, Ugo");
        row("a flag set twice is one change", letters, "close 2;open 2;open 2;close 2;close 2;open 5",
            "open:2 close:2 open:5 sel=-1");
        row("selection outside the tree changes nothing", letters, "select 6;select 3;select -1;select 6",
            "refused refused refused sel=3");
        row("selecting a hidden line leaves its letter closed", letters, "select 4",
            "sel=4 | +A;-A\\Abate, Ugo;+B;-B\\Bruni, Eva;-B\\Bassi, Rita;C");
        row("selection follows its line through removals", letters, "select 4;remove 1;remove 0",
            "sel=2 | +B;-B\\Bruni, Eva;-B\\Bassi, Rita;C");
        // Equal names give equal lines; the lookup must follow the upper one as lines go.
        row("first of two equal names removed", equalNames, "remove 1", "sel=-1");
        row("second of two equal names removed", equalNames, "remove 2", "sel=-1");
        row("removal moves the lines below up", equalNames, "remove 3", "sel=-1");
        row("a letter goes with its contacts", equalNames, "remove 0",
            "sel=-1 | +B;-B\\Bruni, Eva;-B\\Abate, Ugo;C");
        row("only line of a name removed", equalNames, "remove 5;remove 6;remove 9", "sel=-1");
        row("a level changed in the middle regroups the lines", letters, "open 2;select 4;level 2 2",
            "open:2 sel=4 | +A;-A\\Abate, Ugo;-*A\\B;-A\\Bruni, Eva;-A\\Bassi, Rita;C");
        row("and back again", letters, "open 2;select 4;level 2 2;level 2 1",
            "open:2 sel=4 | +A;-A\\Abate, Ugo;+*B;B\\Bruni, Eva;B\\Bassi, Rita;C");
        // One more contact line, added after the change, shows where the changed line now stands.
        row("a contact back to a letter", {"A", ">B"}, "level 1 1;add >Zeta, Mai",
            "sel=-1 | A;+B;-B\\Zeta, Mai");
        row("a letter to a contact", {"A", "B"}, "level 1 2;add >Zeta, Mai",
            "sel=-1 | +A;-A\\B;-A\\Zeta, Mai");
        row("a lone contact line to a letter", {">Orfano, Ada"}, "level 0 1;add >Zeta, Mai",
            "sel=-1 | +Orfano, Ada;-Orfano, Ada\\Zeta, Mai");
        row("no letter above", {">Orfano, Ada", "B"}, "level 1 2;add >Zeta, Mai",
            "sel=-1 | Orfano, Ada;B;Zeta, Mai");
        row("removals and clearing are not the user's", letters,
            "open 2;remove 3;remove 3;add >Bassi, Rita;select 3;clear;add B", "open:2 sel=-1 | B");
        row("an open letter emptied stays open", letters,
            "open 2;remove 3;remove 3;remove 3;add >Bassi, Rita",
            "open:2 sel=-1 | +A;-A\\Abate, Ugo;+*B;B\\Bassi, Rita");
        // The user's hands.
        row("clicks choose a line, code does not", letters, "open 0;select 3;click 1;click 2",
            "open:0 click click sel=2");
        row("Return tells the owner only", letters, "select 0;key Return;key Enter", "key:13 key:13 sel=0");
        row("character keys tell their code", letters, "key R;key Ù;key Esc;key Del",
            "key:114 key:249 key:27 sel=-1");
        row("keys walk the visible lines", letters,
            "select 5;key Home;key Up;key Down;key Right;key Down;key End",
            "click click open:2 click click sel=5");
        row("arrows close a letter", letters, "select 2;key Right;key Left", "open:2 close:2 sel=2");
        // The first half of a double click is a click; the second is not another one. Opening is the owner's.
        row("double click is told", letters, "double 2",
            "click double sel=2 | +A;-A\\Abate, Ugo;+B;-B\\Bruni, Eva;-B\\Bassi, Rita;C");
        row("the marker opens and closes, and is no click", letters, "marker 2;marker 2",
            "open:2 close:2 sel=-1");
        row("a double click on the marker opens once", letters, "double-marker 0", "open:0 sel=-1");
    }

    void script()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, script);
        QFETCH(QString, result);
        Outline outline;
        QAbstractItemModelTester tester(
            outline.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(outline, lines);
        outline.resize(240, 300);
        outline.show();
        QVERIFY(QTest::qWaitForWindowExposed(&outline));
        outline.setFocus();
        outline.deselect();
        QStringList log;
        connect(&outline, &Outline::lineClicked, this, [&] { log << "click"; });
        connect(&outline, &Outline::lineDoubleClicked, this, [&] { log << "double"; });
        connect(&outline, &Outline::keyPressed, this,
            [&](int code) { log << QStringLiteral("key:%1").arg(code); });
        connect(&outline, &Outline::lineExpanded, this,
            [&](int line) { log << QStringLiteral("open:%1").arg(line); });
        connect(&outline, &Outline::lineCollapsed, this,
            [&](int line) { log << QStringLiteral("close:%1").arg(line); });
        const auto model = static_cast<const OutlineModel *>(outline.model());
        const auto press = [&](int line, bool marker, bool twice) {
            const QRect item = outline.visualRect(model->indexOfLine(line));
            const QPoint at
                = marker ? QPoint(item.left() - outline.indentation() / 2, item.center().y()) : item.center();
            // What a widget receives from a real double click; QTest's own sends the double-click event alone.
            QTest::mousePress(outline.viewport(), Qt::LeftButton, {}, at, 500);
            QTest::mouseRelease(outline.viewport(), Qt::LeftButton, {}, at);
            if (twice) {
                QTest::mouseDClick(outline.viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(outline.viewport(), Qt::LeftButton, {}, at);
            }
        };

        for (const QString &step : script.split(u';', Qt::SkipEmptyParts)) {
            const QString verb = step.section(u' ', 0, 0);
            const QString what = step.section(u' ', 1);
            const int line = step.section(u' ', 1, 1).toInt();
            if (verb == QLatin1String("open") || verb == QLatin1String("close"))
                outline.setExpand(line, verb == QLatin1String("open"));
            else if (verb == QLatin1String("level"))
                outline.setIndent(line, step.section(u' ', 2).toInt());
            else if (verb == QLatin1String("remove"))
                outline.RemoveItem(line);
            else if (verb == QLatin1String("select") && !outline.setListIndex(line))
                log << "refused";
            else if (verb == QLatin1String("add"))
                fill(outline, {what});
            else if (verb == QLatin1String("clear"))
                outline.Clear();
            else if (verb == QLatin1String("click") || verb == QLatin1String("double")
                || verb.endsWith(QLatin1String("marker")))
                press(line, verb.endsWith(QLatin1String("marker")), verb.startsWith(QLatin1String("double")));
            else if (verb == QLatin1String("key")) {
                const QString text = what == QLatin1String("Return") || what == QLatin1String("Enter") ? "\r"
                    : what == QLatin1String("Esc") ? "\x1b"
                    : what == QLatin1String("Del") ? "\x7f"
                    : what.size() == 1             ? what.toLower()
                                                   : QString();
                const Qt::Key key
                    = what == QLatin1String("Enter") ? Qt::Key_Enter : QKeySequence(what)[0].key();
                QTest::sendKeyEvent(QTest::Press, &outline, key, text, Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, &outline, key, text, Qt::NoModifier);
            }
        }
        log << QStringLiteral("sel=%1").arg(outline.ListIndex());
        if (result.contains(u'|'))
            log << QStringLiteral("| ") + treeOf(outline);
        QCOMPARE(log.join(u' '), result);

        for (int i = 0; i < outline.ListCount(); ++i) {
            QCOMPARE(outline.isExpanded(model->indexOfLine(i)), outline.Expand(i) && outline.HasSubItems(i));
            int scan = 0;
            while (outline.List(scan) != outline.List(i))
                ++scan;
            QCOMPARE(outline.findLine(outline.List(i)), scan);
        }
        for (const char *gone : {"A", "Alberti, Pia", "Bruni, Eva", "Zeta, Mai"}) {
            if (!treeOf(outline).contains(gone))
                QCOMPARE(outline.findLine(gone), -1);
        }
    }

    void batchBuildsTheSameTreeAndSelectsAtTheEnd()
    {
        QStringList lines;
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            lines.append(QString(QChar(letter)));
            for (int i = 0; i < (letter - 'A') * 7 % 11; ++i)
                lines.append(QStringLiteral(">%1name, %2").arg(QChar(letter)).arg(i % 3));
        }
        Outline plain;
        fill(plain, lines);
        plain.setExpand(1, true);
        Outline outline;
        fill(outline, {QStringLiteral("Z")});
        QVERIFY(outline.setListIndex(0));
        {
            Outline::Batch batch(outline);
            outline.Clear();
            fill(outline, QStringList{"Q"} + lines);
            outline.setExpand(2, true);
            QVERIFY(outline.setListIndex(3));
            outline.RemoveItem(0);
            QCOMPARE(outline.ListIndex(), 2);
        }
        QCOMPARE(outline.model()->rowCount(), 26);
        QCOMPARE(treeOf(outline), treeOf(plain));
        QCOMPARE(outline.ListIndex(), 2);
        QVERIFY(outline.isExpanded(static_cast<const OutlineModel *>(outline.model())->indexOfLine(1)));
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(outline.findLine(outline.List(i)), plain.findLine(plain.List(i)));
    }
};

QTEST_MAIN(TestOutline)
#include "test_outline.moc"
