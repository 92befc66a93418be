// Cutting fields off a line: quotes, separators inside quotes and blanks.
#include "index/SplitField.h"

#include <QTest>

class TestSplitField : public QObject
{
    Q_OBJECT
private slots:
    void cutsTheFirstField_data();
    void cutsTheFirstField();
    void successiveCallsWalkTheFields();
};

void TestSplitField::cutsTheFirstField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("rest");

    QTest::newRow("display name") << "Rossi, Mario"
                                  << ","
                                  << "Rossi"
                                  << " Mario";
    QTest::newRow("blanks around the field, rest untrimmed") << "  Rossi  ,  Mario "
                                                             << ","
                                                             << "Rossi"
                                                             << "  Mario ";
    QTest::newRow("only blanks are trimmed") << "\tRossi \n,x"
                                             << ","
                                             << "\tRossi \n"
                                             << "x";
    QTest::newRow("no separator") << "  Rossi  "
                                  << ","
                                  << "Rossi"
                                  << "";
    QTest::newRow("empty text") << ""
                                << ","
                                << ""
                                << "";
    QTest::newRow("empty field") << ", Mario"
                                 << ","
                                 << ""
                                 << " Mario";
    QTest::newRow("separator inside quotes") << "\"Rossi, Bianchi\", Mario"
                                             << ","
                                             << "Rossi, Bianchi"
                                             << " Mario";
    QTest::newRow("quoted field, blanks outside the quotes") << "  \"De Luca\"  ,x"
                                                             << ","
                                                             << "De Luca"
                                                             << "x";
    QTest::newRow("blanks inside the quotes stay") << "\" De Luca \",x"
                                                   << ","
                                                   << " De Luca "
                                                   << "x";
    QTest::newRow("quote after the separator") << "Rossi, \"Mario\""
                                               << ","
                                               << "Rossi"
                                               << " \"Mario\"";
    QTest::newRow("quoted whole text") << "\"Rossi, Mario\""
                                       << ","
                                       << "Rossi, Mario"
                                       << "";
    QTest::newRow("unclosed quote cuts at the first separator") << "\"Rossi, Mario"
                                                                << ","
                                                                << "Rossi"
                                                                << " Mario";
    QTest::newRow("quotes inside the field are kept") << "Ro\"ss,i\"x, y"
                                                      << ","
                                                      << "Ro\"ss,i\"x"
                                                      << " y";
    QTest::newRow("a lone quote") << "\""
                                  << ","
                                  << ""
                                  << "";
    QTest::newRow("only a closing quote dropped") << "Rossi\",b"
                                                  << ","
                                                  << "Rossi"
                                                  << "b";
    QTest::newRow("longer separator cut whole") << "a :: b"
                                                << "::"
                                                << "a"
                                                << " b";
    QTest::newRow("empty separator takes everything") << " a,b "
                                                      << ""
                                                      << "a,b"
                                                      << "";
}

void TestSplitField::cutsTheFirstField()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QString, field);
    QFETCH(QString, rest);

    QCOMPARE(SplitField(text, separator), field);
    QCOMPARE(text, rest);
}

void TestSplitField::successiveCallsWalkTheFields()
{
    QString line = QStringLiteral("Rossi; \"Via Roma; 1\" ;Milano");
    QCOMPARE(SplitField(line, QStringLiteral(";")), QStringLiteral("Rossi"));
    QCOMPARE(SplitField(line, QStringLiteral(";")), QStringLiteral("Via Roma; 1"));
    QCOMPARE(SplitField(line, QStringLiteral(";")), QStringLiteral("Milano"));
    QVERIFY(line.isEmpty());
    QCOMPARE(SplitField(line, QStringLiteral(";")), QString());
}

QTEST_APPLESS_MAIN(TestSplitField)
#include "test_splitfield.moc"
