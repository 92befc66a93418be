// Data1 over a real store, driven by a script per case: the order of its events, what it writes before
// it moves, and the bound boxes.
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"
#include "ui/controls/DataControl.h"

#include <QTest>

namespace {

QStringList storedRecords(const ContactStore &store)
{
    QStringList records;
    for (const ContactRecord &record : store.readAll())
        records << record.text(Field::LastName) + u' ' + record.text(Field::FirstName) + u' '
                + (record.isNull(Field::WorkAddress) ? QStringLiteral("-") : record.text(Field::WorkAddress));
    return records;
}

} // namespace

class TestDataControl : public QObject
{
    Q_OBJECT
private slots:
    void script_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("result"); // the events, then what the boxes show, then the stored records
        const auto row = [](const char *name, const char *script, const char *result) {
            QTest::newRow(name) << QString::fromUtf8(script) << QString::fromUtf8(result);
        };
        row("events come before and after each move", "next;last;first;find",
            "validate 3 0;shown Rossi;validate 4 0;shown Zanardi de Ruggeri;validate 1 0;shown "
            "Bianchi;validate 8 0;shown Verdi | Verdi Luca");
        row("changes are written before a move, untyped fields kept", "type lina;next",
            "validate 3 1;shown Rossi | Rossi Mario | +Bianchi Annalina - | -Bianchi Anna -");
        row("validate drops the changes", "drop;type X;next", "validate 3 1;shown Rossi | Rossi Mario");
        row("validate cancels the move", "cancel;type X;next", "validate 3 1 | Bianchi AnnaX");
        row("an added record stands at the end until refresh",
            "next;add;typelast Abate;type Ugo;update;last;refresh",
            "validate 3 0;shown Rossi;validate 5 0;shown ;validate 6 1;shown Rossi;validate 4 0;shown "
            "Abate;shown Abate | Abate Ugo | +Abate Ugo -");
        row("delete, then next shows the following record", "next;delete;next",
            "validate 3 0;shown Rossi;validate 7 0;validate 3 0;shown Verdi | Verdi Luca | -Rossi Mario Via "
            "Roma 1\r\nScala B");
        row("Delete on an empty box is no edit, on a filled one it is", "delete-key;next;delete-key",
            "changed 0;validate 3 0;shown Rossi;changed 1 | Rossi Mario");
        row("a long stored value is kept whole, typing cannot lengthen it",
            "last;typelast xyz;type lberta;first",
            "validate 4 0;shown Zanardi de Ruggeri;validate 1 1;shown Bianchi | Bianchi Anna | +Zanardi de "
            "Ruggeri Adalberta - | -Zanardi de Ruggeri Ada -");
        row("a failed write keeps the typed values", "steal;type bella;next",
            "validate 3 1 | Bianchi Annabella | Impossibile salvare il record: no such table: PhoneList "
            "(codice 1) | -Bianchi Anna - | -Rossi Mario Via Roma 1\r\nScala B | -Verdi Luca - | -Zanardi de "
            "Ruggeri Ada -");
        row("a clone moves on its own", "last;clone",
            "validate 4 0;shown Zanardi de Ruggeri;clone Bianchi;clone Rossi | Zanardi de Ruggeri Ada");
    }

    void script()
    {
        QFETCH(QString, script);
        QFETCH(QString, result);
        TestStore test;
        test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
        test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"),
            {{Field::WorkAddress, QStringLiteral("Via Roma 1\r\nScala B")}});
        test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
        test.add(QStringLiteral("Zanardi de Ruggeri"), QStringLiteral("Ada"));
        ScriptedUiPlatform platform;
        QWidget window;
        DataControl data(platform, &window);
        BoundLineEdit last(&window);
        BoundLineEdit first(&window);
        BoundTextEdit address(&window);
        last.setLongestInput(10);
        data.setStore(&test.store());
        data.bind(&last, Field::LastName);
        data.bind(&first, Field::FirstName);
        data.bind(&address, Field::WorkAddress);
        QVERIFY(data.Refresh());
        const QStringList before = storedRecords(test.store());
        QStringList log;
        int answer = -1;
        bool keep = true;
        data.setValidateHandler([&](int &action, bool &save) {
            log << QStringLiteral("validate %1 %2").arg(action).arg(save);
            action = answer < 0 ? action : answer;
            save = save && keep;
        });
        connect(
            &data, &DataControl::Reposition, this, [&] { log << QStringLiteral("shown ") + last.text(); });

        for (const QString &step : script.split(u';')) {
            const QString verb = step.section(u' ', 0, 0);
            const QString text = step.section(u' ', 1);
            if (verb == QLatin1String("next"))
                data.MoveNext();
            else if (verb == QLatin1String("last"))
                data.MoveLast();
            else if (verb == QLatin1String("first"))
                data.MoveFirst();
            else if (verb == QLatin1String("find"))
                data.FindFirst(ByName{QStringLiteral("Verdi"), QStringLiteral("Luca")});
            else if (verb == QLatin1String("refresh"))
                data.Refresh();
            else if (verb == QLatin1String("add"))
                data.AddNew();
            else if (verb == QLatin1String("update"))
                data.Update();
            else if (verb == QLatin1String("delete"))
                data.Delete();
            else if (verb == QLatin1String("cancel"))
                answer = DataAction::Cancel;
            else if (verb == QLatin1String("drop"))
                keep = false;
            else if (verb == QLatin1String("type") || verb == QLatin1String("typelast")) {
                BoundLineEdit *box = verb == QLatin1String("type") ? &first : &last;
                QTest::keyClick(box, Qt::Key_End);
                QTest::keyClicks(box, text);
            } else if (verb == QLatin1String("delete-key")) {
                QTest::keyClick(&address, Qt::Key_Delete);
                log << QStringLiteral("changed %1").arg(data.anyBoxChanged());
            } else if (verb == QLatin1String("steal")) {
                // Another program takes the table away: a write has nowhere to go.
                runSqlElsewhere(test.path(), {QStringLiteral("ALTER TABLE PhoneList RENAME TO Gone")});
            } else if (verb == QLatin1String("clone")) {
                Recordset clone = data.Clone();
                log << QStringLiteral("clone ") + clone.currentEntry().lastName().value_or(QString());
                clone.moveNext();
                log << QStringLiteral("clone ") + clone.currentEntry().lastName().value_or(QString());
            }
        }
        // What the store holds now and did not at the start ("+"), or no longer holds ("-").
        const QStringList now = storedRecords(test.store());
        QStringList actual{log.join(u';'), last.text() + u' ' + first.text()};
        for (const MessageRequest &message : platform.messages)
            actual << message.text;
        for (const QString &record : now)
            actual << (before.contains(record) ? QString() : u'+' + record);
        for (const QString &record : before)
            actual << (now.contains(record) ? QString() : u'-' + record);
        actual.removeAll(QString());
        QCOMPARE(actual.join(QStringLiteral(" | ")), result);
    }
};

QTEST_MAIN(TestDataControl)
#include "test_datacontrol.moc"
