// The printed card's notes wrapping, the agenda's rows and letters, the postal address and its label
// on a sheet read from any text, from any values.
#include "FuzzInput.h"
#include "output/AgendaLayout.h"
#include "output/CardLayout.h"
#include "output/LabelLayout.h"
#include "output/PostalAddress.h"

static ContactRecord recordFrom(const FuzzInput &input)
{
    ContactRecord record;
    for (int i = 1; i < FieldCount; ++i) {
        // One control bit per pair of fields leaves some of them Null.
        if (input.control & (1u << (i % 7)))
            record.values[size_t(i)] = input.part(i);
    }
    return record;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);

    const QString notes = input.part(0);
    const QStringList wrapped = wrapNotes(notes);
    FUZZ_CHECK(!wrapped.isEmpty());
    FUZZ_CHECK(wrapped.join(QString()) == notes); // nothing of the notes is lost or doubled

    const ContactRecord record = recordFrom(input);
    cardLines(record);
    agendaRow(record);

    const QString letter = agendaLetter(input.part(1));
    FUZZ_CHECK(letter.size() <= 2);
    const QString selection = letterSelection(input.part(2));
    isLetterSelected(letter, selection);
    agendaHeading(letter);

    const QStringList address = postalAddress(record, input.control & 1);
    for (const QString &line : address)
        FUZZ_CHECK(!line.isEmpty());
    QString reason;
    if (const std::optional<LabelSheet> sheet = labelSheet(input.part(3), &reason)) {
        // An accepted sheet is written back as a custom one that is accepted again.
        const std::optional<LabelSheet> again = labelSheet(customSheetText(*sheet));
        FUZZ_CHECK(again && again->perSheet() == sheet->perSheet());
        const LabelPrintout printout = layoutLabels({address, address}, *sheet, input.control);
        FUZZ_CHECK(!printout.pages.empty() && printout.pages.size() <= 2);
        FUZZ_CHECK(printout.notFitting.size() <= 2);
    } else {
        FUZZ_CHECK(!reason.isEmpty());
    }
    return 0;
}
