// A CSV row as a vCard and back, through a column mapping.
#pragma once

#include "csv/CsvMapping.h"

// The X-CSV property that keeps an extra column's text, named by X-COLUMN (a column without a
// header is "Colonna 7", counted from 1), so that a column nobody mapped is not lost.
inline constexpr char16_t ExtraPropertyName[] = u"X-CSV";
inline constexpr char16_t ExtraColumnParameter[] = u"X-COLUMN";

// The card a row stands for. A property's columns make one property when any of them has text:
// N and ADR get all their components, texts for the same component are joined by a line break
// (Outlook's three street lines), and a slot's type column adds its label's types (Google's "Work
// Fax" is TYPE=work,fax, "* Mobile" TYPE=cell,pref). Texts are escaped as vCard values. A vCard
// lines column gives back its properties, a line that is none kept as the column's extra text.
// Cells past the mapping's columns are kept as extra ones.
VCard csvRowToVCard(const CsvMapping &mapping, const QStringList &row);

// csvRowToVCard for many rows of one mapping: which columns make one property is worked out once.
class CsvRowReader
{
public:
    explicit CsvRowReader(CsvMapping mapping);
    VCard card(const QStringList &row) const;

private:
    CsvMapping m_mapping;
    QStringList m_columnNames; // per column, the name an extra text keeps it by
    QList<qsizetype> m_compoundOf; // per column of a property made of components, which one; else -1
    qsizetype m_compoundCount = 0;
};

// The row csvRowToVCard reads back as the same card. A property goes to the first free columns
// of its name and parameters (their case and order aside) that give it back exactly, if it has no
// group and no binary data; every other property goes, as a vCard line, to the mapping's first
// vCard lines column, or is left out when there is none. Type columns stay empty.
QStringList csvRowFromVCard(const CsvMapping &mapping, const VCard &card);

// csvRowFromVCard for many rows of one mapping: what each column takes is worked out once.
class CsvRowWriter
{
public:
    explicit CsvRowWriter(CsvMapping mapping);
    // The row of card; the properties of linesOnly take no column of their own and follow the
    // card's leftovers in the vCard lines column.
    QStringList row(const VCard &card, const QList<VCardProperty> &linesOnly = {}) const;

private:
    CsvMapping m_mapping;
    QStringList m_keys; // per column, the name and parameters of what it takes
    QList<QList<qsizetype>> m_groups; // per first column of a compound property, the group's columns
};
