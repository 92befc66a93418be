// The index tree: building it from the records, choosing a contact in it, and keeping its
// selection and the navigation bar's caption in step with the current record.
#include "ui/phone/Phone.h"

#include "index/IndexLetter.h"
#include "index/SplitField.h"
#include "platform/Platform.h"
#include "search/SearchText.h"
#include "ui/controls/Outline.h"

#include <QAction>

void Phone::RefreshAgenda()
{
    ui.Data1->Refresh();
    for (const CardField &entry : CardFields) {
        if (entry.isPageBox()) {
            ui.Data1->bind(ui.box(entry, 0), entry.field);
            ui.Data1->bind(ui.box(entry, 1), *entry.homeField);
        }
    }
    // Showing the whole agenda again when neither the table nor the tree changed since it was
    // filled (the start-up search left empty does so at once) keeps the tree's lines as they are.
    const bool treeIsCurrent = m_outlineRows && ui.Data1->recordset()->sharedRows() == m_outlineRows
        && ui.Outline1->revision() == m_outlineRevision;
    if (treeIsCurrent) {
        IndexRs = ui.Data1->Clone();
        ui.Outline1->deselect();
        ui.Outline1->scrollToTop();
        setWindowTitle(wholeAgendaCaption());
    } else {
        FillOutline();
    }
    OutlineCollapseAll();
    if (FirstShow) {
        Label1_Click();
        // Where a keystroke went to whatever window was active, the first line is selected directly.
        ui.Outline1->setListIndex(0);
        FirstShow = false;
    }
}

void Phone::FillOutline()
{
    IndexRs = ui.Data1->Clone();
    m_searchHits.clear();
    const std::vector<ContactStore::IndexEntry> &rows = IndexRs->rows();

    // One pass in the record source's order, each contact filed under its letter: the order puts
    // some apart from their letter's other contacts (digits before A, "Łoś" after Z).
    std::array<std::vector<size_t>, IndexLetters.size()> byLetter;
    for (size_t i = 0; i < rows.size(); ++i)
        byLetter[indexLetterOf(rows[i].lastName)].push_back(i);

    {
        Outline::Batch batch(*ui.Outline1);
        ui.Outline1->Clear();
        for (size_t letter = 0; letter < IndexLetters.size(); ++letter) {
            // A to Z are always there to choose from; "#" only when a contact is filed under it: the
            // card takes no surname that would be, so most agendas never need it.
            if (letter == OtherInitials && byLetter[letter].empty())
                continue;
            ui.Outline1->AddItem(QString(QChar(IndexLetters[letter])));
            ui.Outline1->setIndent(ui.Outline1->ListCount() - 1, 1);
            for (size_t row : byLetter[letter]) {
                ui.Outline1->AddItem(rows[row].line());
                ui.Outline1->setIndent(ui.Outline1->ListCount() - 1, 2);
            }
        }
    }
    m_outlineRows = IndexRs->sharedRows();
    m_outlineRevision = ui.Outline1->revision();
    // The title names what the tree shows: from here on, the whole agenda.
    setWindowTitle(wholeAgendaCaption());
}

void Phone::reloadAgendaShowing(qint64 id)
{
    ui.Data1->Refresh();
    FillOutline();
    OutlineCollapseAll();
    if (id != 0)
        ui.Data1->FindFirst(ById{id});
}

void Phone::OutlineCollapseAll()
{
    setLettersOpen(false);
}

void Phone::setLettersOpen(bool open)
{
    for (int i = 0; i < ui.Outline1->ListCount(); ++i) {
        if (ui.Outline1->HasSubItems(i))
            ui.Outline1->setExpand(i, open);
    }
}

void Phone::Outline1_Click()
{
    if (hasPendingEdit()) {
        // The save rebuilds the tree: find the chosen line again afterwards.
        const int chosen = ui.Outline1->ListIndex();
        const QString chosenText = chosen >= 0 ? ui.Outline1->List(chosen) : QString();
        // A save that was refused (a name to correct) keeps the card and its typed values.
        if (!saveBeforeLeaving())
            return;
        const int again = ui.Outline1->findLine(chosenText);
        if (again >= 0)
            ui.Outline1->setListIndex(again);
    }
    const int line = ui.Outline1->ListIndex();
    if (line < 0 || ui.Outline1->Indent(line) != 2)
        return;
    const QString text = ui.Outline1->List(line);
    QString rest = text;
    const QString lastName = SplitField(rest, QStringLiteral(","));
    const QString firstName = rest.mid(1);
    if (ui.Data1->FindFirst(ByName{lastName, firstName}))
        return;
    // Cutting the line gives back no stored name where the surname is Null, holds a comma or begins
    // or ends with a quote or a blank: such a contact is found by its whole line.
    for (const ContactStore::IndexEntry &row : ui.Data1->recordset()->rows()) {
        if (row.line() == text) {
            ui.Data1->FindFirst(ById{row.id});
            return;
        }
    }
}

void Phone::Outline1_DblClick()
{
    const int line = ui.Outline1->ListIndex();
    if (line < 0)
        return;
    ui.Outline1->setExpand(line, !ui.Outline1->Expand(line));
}

void Phone::Outline1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Outline1_DblClick();
}

void Phone::Outline1_Collapse(int line)
{
    ui.Outline1->setListIndex(line);
}

void Phone::Outline1_Expand(int line)
{
    if (ui.Outline1->setListIndex(line))
        return;
    m_platform.messageBox(
        {QStringLiteral("Non trovato record nella ricerca: Verrà visualizzata tutta l'agenda!"), {},
            MessageButtons::Ok, MessageIcon::Question, MessageAnswer::Ok});
    Form_Load();
    setWindowTitle(QStringLiteral("Rubrello - Tutta l'agenda"));
}

void Phone::Data1_Reposition()
{
    if (ui.Data1->isEOF()) {
        ui.Data1->setCaption(QStringLiteral("Nessun record trovato!"));
        return;
    }
    // A new record has no line, and no other contact's line may stay selected for it.
    if (!ui.Data1->hasCurrent() || ui.Data1->editMode() == EditMode::Adding) {
        ui.Data1->setCaption(QString());
        ui.Outline1->deselect();
        return;
    }
    const FieldValue lastName = ui.Data1->field(Field::LastName);
    const FieldValue firstName = ui.Data1->field(Field::FirstName);
    const QString name = nameLine(lastName.value_or(QString()), firstName.value_or(QString()));
    // A Null name leaves the caption empty, but the contact has its line all the same (a Null
    // surname under "#").
    ui.Data1->setCaption(lastName && firstName ? name : QString());

    const int line = ui.Outline1->findLine(name);
    if (line < 0) {
        // The contact is not among the lines (a search shows only its hits): another contact's
        // line must not stay selected, or a delete would take that line away.
        ui.Outline1->deselect();
        return;
    }
    ui.Outline1->setListIndex(line);
    if (!ui.Outline1->IsItemVisible(line)) {
        const QString letter = ui.Outline1->FullPath(line).left(1);
        int index = line;
        while (index > 0 && ui.Outline1->List(index) != letter)
            --index;
        ui.Outline1->setListIndex(index);
    }
}
