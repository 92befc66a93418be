#include "import/FirstVersionLine.h"

#include "contacts/ContactFields.h"
#include "contacts/NameRules.h"

namespace {

constexpr qsizetype NamePartLength = 53;
constexpr qsizetype PhonePartStart = 54; // character 55, counted from 0

const QChar Blank = QLatin1Char(' ');

// Only the blank itself is trimmed: tabs and other spacing belong to the text.
QStringView withoutLeadingBlanks(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == Blank)
        ++start;
    return text.mid(start);
}

QStringView withoutSurroundingBlanks(QStringView text)
{
    text = withoutLeadingBlanks(text);
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == Blank)
        --end;
    return text.left(end);
}

// The first word and what follows it without its leading blanks; no blank: the text and nothing.
std::pair<QStringView, QStringView> splitFirstWord(QStringView text)
{
    const qsizetype blank = text.indexOf(Blank);
    if (blank < 0)
        return {text, {}};
    return {text.left(blank), withoutLeadingBlanks(text.mid(blank + 1))};
}

// Cuts a value to its field's longest input without splitting a surrogate pair.
QString fitField(QStringView value, Field field)
{
    qsizetype length = longestInput(field);
    if (value.size() <= length)
        return value.toString();
    if (value[length - 1].isHighSurrogate())
        --length;
    return value.left(length).toString();
}

} // namespace

QString CleanImportName(const QString &name)
{
    qsizetype start = 0;
    while (start < name.size() && !nameStartAccepted(name.mid(start, 1)))
        ++start;
    return name.mid(start);
}

std::optional<FirstVersionContact> parseFirstVersionLine(const QString &line)
{
    const QStringView text(line);
    const QStringView namePart = withoutSurroundingBlanks(text.left(NamePartLength));
    const QStringView phonePart
        = text.size() > PhonePartStart ? withoutSurroundingBlanks(text.mid(PhonePartStart)) : QStringView();
    if (namePart.isEmpty())
        return std::nullopt;

    const auto [lastWord, remainder] = splitFirstWord(namePart);
    QStringView firstWord = lastWord;
    QStringView rest;
    if (!remainder.isEmpty())
        std::tie(firstWord, rest) = splitFirstWord(remainder);

    QString lastName = CleanImportName(lastWord.toString());
    QString firstName = CleanImportName(firstWord.toString());
    if (firstName.isEmpty())
        firstName = lastName;
    if (lastName.isEmpty())
        lastName = firstName;
    if (lastName.isEmpty())
        return std::nullopt;

    return FirstVersionContact{fitField(lastName, Field::LastName), fitField(firstName, Field::FirstName),
        fitField(rest, Field::WorkAddress), fitField(phonePart, Field::WorkPhone)};
}
