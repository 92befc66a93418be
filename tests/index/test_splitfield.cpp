// Cutting fields off a line: quotes, separators inside quotes and blanks.
#include "index/SplitField.h"

#include <QTest>

class TestSplitField : public QObject
{
    Q_OBJECT
private slots:
    void cutsTheFirstField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("rest");
        const auto row = [](const char *name, const char *text, const char *separator, const char *field,
                             const char *rest) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(separator)
                                << QString::fromUtf8(field) << QString::fromUtf8(rest);
        };
        row("blanks around the field, rest untrimmed", "  Rossi  ,  Mario ", ",", "Rossi", "  Mario ");
        row("only blanks are trimmed", "\tRossi \n,x", ",", "\tRossi \n", "x");
        row("no separator", "  Rossi  ", ",", "Rossi", "");
        row("empty field", ", Mario", ",", "", " Mario");
        row("separator inside quotes", "\"Rossi, Bianchi\", Mario", ",", "Rossi, Bianchi", " Mario");
        row("blanks outside the quotes go", "  \"De Luca\"  ,x", ",", "De Luca", "x");
        row("blanks inside the quotes stay", "\" De Luca \",x", ",", " De Luca ", "x");
        row("quote after the separator", "Rossi, \"Mario\"", ",", "Rossi", " \"Mario\"");
        row("unclosed quote cuts at the separator", "\"Rossi, Mario", ",", "Rossi", " Mario");
        row("quotes inside the field are kept", "Ro\"ss,i\"x, y", ",", "Ro\"ss,i\"x", " y");
        row("a lone quote", "\"", ",", "", "");
        row("only a closing quote dropped", "Rossi\",b", ",", "Rossi", "b");
        row("longer separator cut whole", "a :: b", "::", "a", " b");
        row("empty separator takes everything", " a,b ", "", "a,b", "");
    }

    void cutsTheFirstField()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QString, field);
        QFETCH(QString, rest);
        QCOMPARE(SplitField(text, separator), field);
        QCOMPARE(text, rest);
    }
};

QTEST_APPLESS_MAIN(TestSplitField)
#include "test_splitfield.moc"
