#include "lookup/LookupEntry.h"

#include "dial/NumberKey.h"
#include "dial/NumberRules.h"
#include "search/SearchFields.h"
#include "text/ForgivingText.h"
#include "text/Utf8Text.h"

#include <QStringList>

#include <algorithm>

LookupEntry lookupEntry(std::span<const std::optional<QByteArrayView>> searchedValues)
{
    LookupEntry entry;
    std::string stored;
    std::string digits;
    for (int i = 0; i < SearchFieldCount; ++i) {
        const std::optional<QByteArrayView> &value = searchedValues[i];
        if (!value)
            continue;
        // A line break parts the fields; an argument that spans it only brings in a candidate more.
        stored.clear();
        appendStored(stored, *value);
        appendForgiving(entry.forgivingText, stored);
        entry.forgivingText += '\n';
        const Field field = SearchFields[i].field;
        if (std::none_of(std::begin(NumberFields), std::end(NumberFields),
                [field](const NumberField &number) { return number.field == field; }))
            continue;
        comparableDigits(*value, digits);
        if (!digits.empty()
            && std::none_of(entry.numbers.begin(), entry.numbers.end(),
                [&](const LookupEntry::Number &number) { return number.digits == digits; }))
            entry.numbers.push_back({digits, numberKey(*value)});
    }
    return entry;
}

std::optional<QByteArray> trigramQuery(const std::vector<std::string> &words)
{
    // Every trigram of every word must be in the text; a dozen already leave few others behind.
    constexpr qsizetype MostTrigrams = 12;
    QStringList trigrams;
    for (const std::string &word : words) {
        const QList<uint> characters = QString::fromUtf8(word).toUcs4();
        for (qsizetype i = 0; i + 3 <= characters.size() && trigrams.size() < MostTrigrams; ++i) {
            const QString trigram
                = QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData() + i), 3);
            if (!trigrams.contains(trigram))
                trigrams.append(trigram);
        }
    }
    if (trigrams.isEmpty())
        return std::nullopt;
    // Each trigram a quoted string of the query language, its quotes doubled: nothing in it is syntax.
    QStringList quoted;
    for (QString trigram : trigrams)
        quoted.append(u'"' + trigram.replace(u'"', QStringLiteral("\"\"")) + u'"');
    return quoted.join(QStringLiteral(" AND ")).toUtf8();
}
