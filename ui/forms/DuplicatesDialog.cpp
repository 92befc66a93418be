#include "ui/forms/DuplicatesDialog.h"

#include "contacts/ContactStore.h"
#include "duplicates/NotDuplicatesTable.h"
#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr int IncludeRow = 0;
constexpr size_t MostNamed = 6;
constexpr size_t MostSideBySide = 12;
constexpr int FirstFieldRow = 1;

struct ComparedField
{
    Field field;
    const char *label;
};

// In the card's order: the names, the company, the work page, the home page, then the rest.
constexpr std::array<ComparedField, 19> ComparedFields = {{
    {Field::LastName, "Cognome"},
    {Field::FirstName, "Nome"},
    {Field::Azienda, "Azienda"},
    {Field::WorkAddress, "Indirizzo (Lavoro)"},
    {Field::WorkCity, "Città (Lavoro)"},
    {Field::WorkProv, "Provincia (Lavoro)"},
    {Field::WorkPostalCode, "CAP (Lavoro)"},
    {Field::WorkPhone, "Telefono (Lavoro)"},
    {Field::WorkFax, "Fax (Lavoro)"},
    {Field::HomeAddress, "Indirizzo (Casa)"},
    {Field::HomeCity, "Città (Casa)"},
    {Field::HomeProv, "Provincia (Casa)"},
    {Field::HomePostalCode, "CAP (Casa)"},
    {Field::HomePhone, "Telefono (Casa)"},
    {Field::HomeFax, "Fax (Casa)"},
    {Field::Cellulare, "Cellulare"},
    {Field::Internet, "E-mail"},
    {Field::www, "Home Page"},
    {Field::Note, "Note"},
}};

QString groupCountText(size_t count)
{
    if (count == 0)
        return QStringLiteral("Nessun possibile doppione nell'agenda.");
    return count == 1 ? QStringLiteral("1 gruppo di possibili doppioni.")
                      : QStringLiteral("%1 gruppi di possibili doppioni.").arg(count);
}

// A value on one line of the table: the line breaks of a note shown as such.
QString cellText(const FieldValue &value)
{
    return value.value_or(QString()).replace(u'\n', QStringLiteral(" ⏎ "));
}

} // namespace

DuplicatesDialog::DuplicatesDialog(ContactStore &store, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("DuplicatesDialog"));
    setWindowTitle(QStringLiteral("Trova duplicati"));

    lblGruppi = new QLabel(this);
    lblGruppi->setObjectName(QStringLiteral("lblGruppi"));
    lstGruppi = new QTreeWidget(this);
    lstGruppi->setObjectName(QStringLiteral("lstGruppi"));
    lstGruppi->setHeaderLabels({QStringLiteral("Contatti"), QStringLiteral("Motivo")});
    lstGruppi->setRootIsDecorated(false);
    lstGruppi->header()->setSectionResizeMode(0, QHeaderView::Stretch);

    tblConfronto = new QTableWidget(this);
    tblConfronto->setObjectName(QStringLiteral("tblConfronto"));
    tblConfronto->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblConfronto->setSelectionMode(QAbstractItemView::NoSelection);
    tblConfronto->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tblConfronto->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    auto *hint = new QLabel(
        QStringLiteral("Fare clic (o premere lo spazio) sul valore da tenere per ciascun campo, e "
                       "su \"Includi\" per lasciar fuori un contatto. Il contatto unito "
                       "tiene anche gli altri dati di tutti; gli altri vanno nel cestino."),
        this);
    hint->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Chiudi"));
    cmdUnisci = buttons->addButton(QStringLiteral("&Unisci"), QDialogButtonBox::ActionRole);
    cmdNonDoppioni = buttons->addButton(QStringLiteral("&Non sono doppioni"), QDialogButtonBox::ActionRole);
    cmdUnisci->setObjectName(QStringLiteral("cmdUnisci"));
    cmdNonDoppioni->setObjectName(QStringLiteral("cmdNonDoppioni"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cmdUnisci, &QPushButton::clicked, this, &DuplicatesDialog::mergeGroup);
    connect(cmdNonDoppioni, &QPushButton::clicked, this, &DuplicatesDialog::setGroupAside);
    connect(lstGruppi, &QTreeWidget::currentItemChanged, this, &DuplicatesDialog::showGroup);
    connect(tblConfronto, &QTableWidget::itemClicked, this, &DuplicatesDialog::chooseCell);
    // From the keyboard: the arrows go to a value, the space bar chooses it.
    tblConfronto->installEventFilter(this);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(lstGruppi);
    auto *compared = new QWidget(split);
    auto *comparedLayout = new QVBoxLayout(compared);
    comparedLayout->setContentsMargins(0, 0, 0, 0);
    comparedLayout->addWidget(hint);
    comparedLayout->addWidget(tblConfronto);
    split->addWidget(compared);
    split->setStretchFactor(1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblGruppi);
    layout->addWidget(split);
    layout->addWidget(buttons);
    resize(820, 620);
    findGroups();
}

bool DuplicatesDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tblConfronto && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        chooseCell(tblConfronto->currentItem());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void DuplicatesDialog::findGroups()
{
    QString error;
    std::optional<std::vector<AgendaGroup>> groups;
    {
        const BusyCursor busy;
        groups = agendaDuplicates(m_store, &error);
    }
    if (!groups)
        m_platform.showMessage(QStringLiteral("Impossibile cercare i doppioni: %1").arg(error));
    m_groups = groups ? std::move(*groups) : std::vector<AgendaGroup>();
    lstGruppi->clear();
    for (size_t i = 0; i < m_groups.size(); ++i) {
        const std::vector<ContactName> &contacts = m_groups[i].contacts;
        QStringList names;
        for (size_t at = 0; at < std::min(contacts.size(), MostNamed); ++at)
            names.append(contacts[at].line());
        if (contacts.size() > MostNamed)
            names.append(QStringLiteral("e altri %1").arg(contacts.size() - MostNamed));
        auto *item = new QTreeWidgetItem(
            lstGruppi, {names.join(QStringLiteral(" · ")), evidenceText(m_groups[i].evidence)});
        item->setData(0, Qt::UserRole, qulonglong(i));
        item->setToolTip(0, names.join(u'\n'));
    }
    lblGruppi->setText(groupCountText(m_groups.size()));
    if (lstGruppi->topLevelItemCount() > 0)
        lstGruppi->setCurrentItem(lstGruppi->topLevelItem(0));
    else
        showGroup();
}

void DuplicatesDialog::showGroup()
{
    m_contacts.clear();
    m_included.clear();
    tblConfronto->clear();
    tblConfronto->setRowCount(0);
    tblConfronto->setColumnCount(0);
    const QTreeWidgetItem *item = lstGruppi->currentItem();
    if (item) {
        const AgendaGroup &group = m_groups[item->data(0, Qt::UserRole).toULongLong()];
        // A group of very many (names alike through long chains) is shown a part at a time: what is
        // merged or set aside leaves it, and the rest comes next.
        std::vector<qint64> ids;
        for (size_t at = 0; at < std::min(group.contacts.size(), MostSideBySide); ++at)
            ids.push_back(group.contacts[at].id);
        bool ok = false;
        m_contacts = m_store.readMany(ids, &ok);
        if (!ok) {
            m_platform.showMessage(
                QStringLiteral("Impossibile leggere i contatti: %1").arg(m_store.lastError()));
            m_contacts.clear();
        }
    }
    if (m_contacts.size() < 2) {
        m_contacts.clear();
        includeChanged();
        return;
    }
    orderForMerge(m_contacts);
    m_included.assign(m_contacts.size(), true);

    const int columns = int(m_contacts.size()) + 1;
    tblConfronto->setColumnCount(columns);
    tblConfronto->setRowCount(FirstFieldRow + int(ComparedFields.size()));
    QStringList rows = {QStringLiteral("Unisci")};
    for (int column = 0; column < columns; ++column) {
        auto *cell = new QTableWidgetItem(column + 1 < columns ? QStringLiteral("Includi") : QString());
        cell->setFlags(Qt::ItemIsEnabled);
        tblConfronto->setItem(IncludeRow, column, cell);
    }
    for (int at = 0; at < int(ComparedFields.size()); ++at) {
        const Field field = ComparedFields[size_t(at)].field;
        rows.append(QString::fromUtf8(ComparedFields[size_t(at)].label));
        for (int column = 0; column < columns; ++column) {
            auto *cell = new QTableWidgetItem(
                column + 1 < columns ? cellText(m_contacts[size_t(column)].value(field)) : QString());
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setToolTip(column + 1 < columns ? m_contacts[size_t(column)].text(field) : QString());
            tblConfronto->setItem(FirstFieldRow + at, column, cell);
        }
        // A field none of them has would only push the others out of sight.
        tblConfronto->setRowHidden(FirstFieldRow + at,
            std::all_of(m_contacts.begin(), m_contacts.end(),
                [field](const ContactRecord &c) { return c.text(field).isEmpty(); }));
    }
    tblConfronto->setVerticalHeaderLabels(rows);
    // Three contacts and the result share the table's width; more are each as wide as they read
    // well, the table scrolling.
    constexpr int ReadableWidth = 190;
    constexpr int ColumnsSharingTheWidth = 4;
    const bool fit = columns <= ColumnsSharingTheWidth;
    tblConfronto->horizontalHeader()->setSectionResizeMode(
        fit ? QHeaderView::Stretch : QHeaderView::Interactive);
    if (!fit)
        tblConfronto->horizontalHeader()->setDefaultSectionSize(ReadableWidth);
    includeChanged();
}

void DuplicatesDialog::includeChanged()
{
    // The values chosen start again from the contacts now included, the first of them staying.
    const std::vector<int> columns = includedColumns();
    cmdUnisci->setEnabled(columns.size() > 1);
    cmdNonDoppioni->setEnabled(columns.size() > 1);
    if (m_contacts.empty())
        return;
    if (!columns.empty())
        m_choice = defaultMergeChoice(merging());
    QStringList headers;
    for (size_t i = 0; i < m_contacts.size(); ++i) {
        const bool stays = !columns.empty() && columns.front() == int(i);
        headers.append(stays ? QStringLiteral("Resta (ID %1)").arg(m_contacts[i].id)
                             : QStringLiteral("ID %1").arg(m_contacts[i].id));
    }
    headers.append(QStringLiteral("Risultato"));
    tblConfronto->setHorizontalHeaderLabels(headers);
    showChoice();
}

std::vector<int> DuplicatesDialog::includedColumns() const
{
    std::vector<int> columns;
    for (size_t i = 0; i < m_included.size(); ++i) {
        if (m_included[i])
            columns.push_back(int(i));
    }
    return columns;
}

std::vector<ContactRecord> DuplicatesDialog::merging() const
{
    std::vector<ContactRecord> contacts;
    for (const int column : includedColumns())
        contacts.push_back(m_contacts[size_t(column)]);
    return contacts;
}

void DuplicatesDialog::chooseCell(QTableWidgetItem *item)
{
    if (!item || m_contacts.empty())
        return;
    const int column = item->column();
    const bool contactColumn = column < int(m_contacts.size());
    if (item->row() == IncludeRow) {
        if (contactColumn) {
            m_included[size_t(column)] = !m_included[size_t(column)];
            includeChanged();
        }
        return;
    }
    const Field field = ComparedFields[size_t(item->row() - FirstFieldRow)].field;
    const std::vector<int> columns = includedColumns();
    const auto included = std::find(columns.begin(), columns.end(), column);
    if (contactColumn && included != columns.end())
        m_choice.from[fieldIndex(field)] = int(included - columns.begin());
    else if (!contactColumn && field == Field::Note && columns.size() > 1)
        // The result's cell of the notes takes the notes of all.
        m_choice.from[fieldIndex(field)] = MergeChoice::JoinedNotes;
    showChoice();
}

void DuplicatesDialog::showChoice()
{
    const int resultColumn = int(m_contacts.size());
    const std::vector<int> columns = includedColumns();
    const std::vector<ContactRecord> merging = this->merging();
    const QColor excluded = palette().color(QPalette::Disabled, QPalette::Text);
    for (int column = 0; column < resultColumn; ++column) {
        tblConfronto->item(IncludeRow, column)
            ->setCheckState(m_included[size_t(column)] ? Qt::Checked : Qt::Unchecked);
    }
    tblConfronto->item(IncludeRow, resultColumn)
        ->setText(merging.size() == 1 ? QStringLiteral("1 contatto")
                                      : QStringLiteral("%1 contatti").arg(merging.size()));
    const ContactRecord merged = merging.empty() ? ContactRecord() : mergedRecord(merging, m_choice);
    for (int at = 0; at < int(ComparedFields.size()); ++at) {
        const int row = FirstFieldRow + at;
        const Field field = ComparedFields[size_t(at)].field;
        const int from = m_choice.from[fieldIndex(field)];
        const int chosenColumn = from >= 0 && size_t(from) < columns.size() ? columns[size_t(from)] : -1;
        const bool differ = std::any_of(merging.begin(), merging.end(),
            [&](const ContactRecord &c) { return c.text(field) != merging.front().text(field); });
        for (int column = 0; column < resultColumn; ++column) {
            QTableWidgetItem *cell = tblConfronto->item(row, column);
            const bool included = m_included[size_t(column)];
            const bool chosen = differ && column == chosenColumn;
            QFont font = cell->font();
            font.setBold(chosen);
            cell->setFont(font);
            cell->setData(Qt::ForegroundRole, included ? QVariant() : QVariant(excluded));
            cell->setData(Qt::CheckStateRole,
                differ && included ? QVariant(chosen ? Qt::Checked : Qt::Unchecked) : QVariant());
        }
        QTableWidgetItem *result = tblConfronto->item(row, resultColumn);
        result->setText(cellText(merged.value(field)));
        result->setToolTip(field == Field::Note && from != MergeChoice::JoinedNotes
                ? QStringLiteral("Fare clic qui per unire le note di tutti")
                : merged.text(field));
    }
}

void DuplicatesDialog::mergeGroup()
{
    const std::vector<ContactRecord> merging = this->merging();
    if (merging.size() < 2)
        return;
    const ContactRecord merged = mergedRecord(merging, m_choice);
    const qsizetype others = qsizetype(merging.size()) - 1;
    if (!m_platform.askOkCancel(others == 1
                ? QStringLiteral("Unire i due contatti in \"%1\"? L'altro andrà nel cestino.")
                      .arg(merged.displayName())
                : QStringLiteral("Unire i %1 contatti in \"%2\"? Gli altri andranno nel cestino.")
                      .arg(others + 1)
                      .arg(merged.displayName())))
        return;
    QString error;
    bool done = false;
    {
        const BusyCursor busy;
        done = mergeContacts(m_store, merging, merged, &error);
    }
    if (!done) {
        m_platform.showMessage(QStringLiteral("Impossibile unire i contatti: %1").arg(error));
        return;
    }
    m_mergedInto.insert(m_mergedInto.begin(), merging.front().id);
    groupSettled();
}

void DuplicatesDialog::setGroupAside()
{
    const std::vector<ContactRecord> merging = this->merging();
    if (merging.size() < 2)
        return;
    std::vector<qint64> ids;
    for (const ContactRecord &contact : merging)
        ids.push_back(contact.id);
    QString error;
    if (!m_store.isWritable() || !m_store.connection()) {
        m_platform.showMessage(
            QStringLiteral("Impossibile ricordare la scelta: %1")
                .arg(m_store.readOnlyReason().isEmpty() ? m_store.lastError() : m_store.readOnlyReason()));
        return;
    }
    if (!rememberNotDuplicates(m_store.connection(), ids, &error)) {
        m_platform.showMessage(QStringLiteral("Impossibile ricordare la scelta: %1").arg(error));
        return;
    }
    groupSettled();
}

void DuplicatesDialog::groupSettled()
{
    const int at = lstGruppi->indexOfTopLevelItem(lstGruppi->currentItem());
    const size_t groupSize
        = m_groups[lstGruppi->currentItem()->data(0, Qt::UserRole).toULongLong()].contacts.size();
    if (includedColumns().size() == groupSize) {
        // A group is every contact linked to another of it: merged whole, or every pair of it set
        // aside, it is gone and no other group changes.
        delete lstGruppi->currentItem();
    } else {
        // What is left of it may still be a group, or more than one.
        findGroups();
    }
    const int left = lstGruppi->topLevelItemCount();
    lblGruppi->setText(groupCountText(size_t(left)));
    if (left > 0)
        lstGruppi->setCurrentItem(lstGruppi->topLevelItem(std::min(std::max(at, 0), left - 1)));
    showGroup();
}
