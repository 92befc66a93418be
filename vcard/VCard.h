// A contact as a vCard holds it (RFC 2426, RFC 6350, and 2.1 as phones write it): its properties in
// the order they came, each with its group, parameters and value. Imports and exports go through it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

enum class VCardVersion { V2_1, V3_0, V4_0 };

struct VCardParameter
{
    // Upper-case; a parameter without a name ("CELL") is read as TYPE, except the words that can
    // only be an ENCODING ("QUOTED-PRINTABLE", "BASE64") or a VALUE ("URL", "INLINE").
    QString name;
    QStringList values; // as read, quotes taken off; a quoted TYPE list ("work,voice") is split
    bool operator==(const VCardParameter &) const = default;
};

struct VCardProperty
{
    QString group; // "item1" of "item1.TEL", empty without one
    QString name; // upper-case: "TEL", "X-ANDROID-CUSTOM"
    // As read, except ENCODING and CHARSET, which only say how the value was written down, and the
    // VALUE of an inline binary value. The media type of a data: URI that no parameter gives already
    // (TYPE=JPEG gives image/jpeg) is kept as MEDIATYPE, so that it is written back.
    QList<VCardParameter> parameters;
    // The value as text: unfolded, quoted-printable and the charset decoded, with the escapes of
    // 3.0 and 4.0 in place ("\,", "\;", "\\", "\n"), whatever the version it was read from.
    QString value;
    // An inline binary value (BASE64 or ENCODING=b, a data: URI): its bytes; value is then empty.
    QByteArray data;

    bool operator==(const VCardProperty &) const = default;

    // Whether one of the TYPE values is type, without regard to case ("cell", "CELL").
    bool hasType(QStringView type) const;
    // The value cut at the unescaped semicolons (N, ADR), each part unescaped.
    QStringList components() const;
    // components().value(index), without splitting the others.
    QString component(qsizetype index) const;
    // The value unescaped, for a property of one text.
    QString text() const;
    // The values of the first parameter of that name, or an empty list.
    QStringList parameter(QStringView name) const;
};

struct VCard
{
    QList<VCardProperty> properties; // without BEGIN, END and VERSION

    // The first property of that name, or null.
    const VCardProperty *first(QStringView name) const;
};

// The value cut at each separator that no backslash escapes, every piece still escaped: a value's
// components at ';', a component's values at ','. The pieces are views into value.
QList<QStringView> splitVCardValue(QStringView value, QChar separator);

// Escapes text for a value: "\" "," ";" and line breaks.
QString escapeVCardText(const QString &text);
// Undoes the escapes of a value; a backslash before any other character is dropped ("\:" is ":").
QString unescapeVCardText(const QString &value);

// Whether text holds any of the characters. Most texts hold nothing to escape or unescape, and are
// then copied whole rather than a character at a time.
bool holdsAnyOf(QStringView text, QStringView characters);

// A property's name and parameters as one text, alike for parameters that differ only in the case
// of names and values, their order, or a name given twice: "TYPE=WORK;TYPE=voice" is TYPE=work,voice.
QString vCardPropertyKind(const QString &name, const QList<VCardParameter> &parameters);
