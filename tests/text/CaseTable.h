// Case tables and golden files under tests/data. A table has one case a line, "name<TAB>value<TAB>...",
// and '#' starts a comment line; values take the escapes \t \r \n \\ \s (a blank) and \xHH (a byte).
#pragma once

#include <QFile>
#include <QTest>

#include <array>

inline QByteArray unescapeCase(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
        } else if (const char c = text[++i]; c == 'x') {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c == 's' ? ' ' : c;
        }
    }
    return out;
}

// One row per case of tests/data/<file>, its values after the name in one list; the test function
// takes them apart with caseValues.
inline void addCaseRows(const char *file)
{
    QTest::addColumn<QByteArrayList>("values");
    QFile table(QStringLiteral(RUBRELLO_TEST_DATA "/") + QLatin1String(file));
    QVERIFY2(table.open(QIODevice::ReadOnly), file);
    while (!table.atEnd()) {
        QByteArray line = table.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QByteArrayList values = line.split('\t');
        const QByteArray name = values.takeFirst();
        for (QByteArray &value : values)
            value = unescapeCase(value);
        QTest::newRow(name.constData()) << values;
    }
}

// The current case's N values: const auto [number, dialled] = caseValues<2>();
template<std::size_t N>
std::array<QByteArray, N> caseValues()
{
    QFETCH(QByteArrayList, values);
    if (values.size() != qsizetype(N))
        qFatal("%s has %d values, not %d", QTest::currentDataTag(), int(values.size()), int(N));
    std::array<QByteArray, N> taken;
    std::copy(values.cbegin(), values.cend(), taken.begin());
    return taken;
}

// Compares text with the golden file line by line; with RUBRELLO_WRITE_GOLDEN set the file is written
// instead, to be read over before it is committed.
inline void compareWithGolden(const QString &text, const char *file)
{
    QFile golden(QStringLiteral(RUBRELLO_TEST_DATA "/") + QLatin1String(file));
    if (qEnvironmentVariableIsSet("RUBRELLO_WRITE_GOLDEN")) {
        QVERIFY(golden.open(QIODevice::WriteOnly) && golden.write(text.toUtf8()) >= 0);
        return;
    }
    QVERIFY2(golden.open(QIODevice::ReadOnly), file);
    QCOMPARE(text.split(u'\n'), QString::fromUtf8(golden.readAll()).split(u'\n'));
}

inline QString utf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}
