#include "index/IndexOutline.h"

#include "index/IndexLetter.h"

#include <array>

namespace {

// "ABC…Z#": the letter lines' texts.
const QString &letterBlock()
{
    static const QString letters = QString::fromStdU16String(std::u16string(IndexLetters));
    return letters;
}

const IndexEntry &entryOf(const IndexEntry &entry)
{
    return entry;
}

const IndexEntry &entryOf(const IndexEntry *entry)
{
    return *entry;
}

template<typename Entry>
std::vector<OutlineLine> outlineOf(const std::vector<Entry> &entries, bool everyLetter, qint64 *firstLine)
{
    // The record order keeps a surname apart from its letter where its sort key differs from the
    // letter (digits before A, "Łoś" after Z): the contacts are gathered under their letters.
    std::array<std::vector<const IndexEntry *>, IndexLetters.size()> byLetter;
    for (const Entry &item : entries) {
        const IndexEntry &entry = entryOf(item);
        byLetter[indexLetterOf(entry.lastNameView())].push_back(&entry);
    }
    std::vector<OutlineLine> lines;
    lines.reserve(entries.size() + IndexLetters.size());
    bool contactLineMet = false;
    for (std::size_t letter = 0; letter < IndexLetters.size(); ++letter) {
        const std::vector<const IndexEntry *> &filed = byLetter[letter];
        if (filed.empty() && (!everyLetter || letter == OtherInitials))
            continue;
        if (firstLine && !contactLineMet && !filed.empty()) {
            *firstLine = filed.front()->id;
            contactLineMet = true;
        }
        lines.push_back({QStringView(letterBlock()).sliced(qsizetype(letter), 1), 1});
        for (const IndexEntry *entry : filed)
            lines.push_back({entry->lineView(), 2});
    }
    return lines;
}

} // namespace

std::vector<QString> outlineBlocks(const IndexTable &rows)
{
    std::vector<QString> blocks = rows.blocks();
    blocks.push_back(letterBlock());
    return blocks;
}

std::vector<OutlineLine> agendaOutline(const std::vector<IndexEntry> &rows)
{
    return outlineOf(rows, true, nullptr);
}

std::vector<OutlineLine> hitOutline(const std::vector<const IndexEntry *> &hits, qint64 *firstLine)
{
    return outlineOf(hits, false, firstLine);
}
