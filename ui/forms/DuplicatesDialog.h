// "Trova duplicati": the groups of contacts that may be one person, each with why; for the chosen
// group the contacts side by side, field by field, a value chosen for each, and "Unisci" or "Non
// sono doppioni".
#pragma once

#include "contacts/ContactRecord.h"
#include "duplicates/AgendaDuplicates.h"
#include "duplicates/ContactMerge.h"

#include <QDialog>

#include <vector>

class ContactStore;
class Platform;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTreeWidget;

class DuplicatesDialog : public QDialog
{
public:
    DuplicatesDialog(ContactStore &store, Platform &platform, QWidget *parent = nullptr);

    // The contacts that others were merged into while the dialog was open, the last first.
    const std::vector<qint64> &mergedInto() const { return m_mergedInto; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void findGroups();
    void showGroup();
    void includeChanged();
    // The columns of the contacts included, and those contacts: the first stays.
    std::vector<int> includedColumns() const;
    std::vector<ContactRecord> merging() const;
    void chooseCell(QTableWidgetItem *item);
    void showChoice();
    void mergeGroup();
    void setGroupAside();
    // After a merge or a set-aside: the group leaves the list, or the groups are found again.
    void groupSettled();

    ContactStore &m_store;
    Platform &m_platform;
    QLabel *lblGruppi;
    QTreeWidget *lstGruppi;
    QTableWidget *tblConfronto;
    QPushButton *cmdUnisci;
    QPushButton *cmdNonDoppioni;
    std::vector<AgendaGroup> m_groups;
    // The shown group's contacts as read, the one that would stay first, and which are included.
    std::vector<ContactRecord> m_contacts;
    std::vector<bool> m_included;
    // The value chosen for each field among the included ones (merging()).
    MergeChoice m_choice;
    std::vector<qint64> m_mergedInto;
};
