// The trash ("Cestino"): the contacts deleted, with the day each was deleted, to put back in the
// agenda or remove for good.
#pragma once

#include <QDialog>

#include <vector>

class ContactStore;
class Platform;
class QPushButton;
class QTreeWidget;

class TrashDialog : public QDialog
{
public:
    TrashDialog(ContactStore &store, Platform &platform, QWidget *parent = nullptr);

    // The contacts put back while the dialog was open, in the order they came back.
    const std::vector<qint64> &restored() const { return m_restored; }
    // Whether anything changed in the store (the undo history included).
    bool changed() const { return m_changed; }

private:
    void fill();
    std::vector<qint64> chosen() const;
    void restoreChosen();
    void removeChosen();
    void emptyTrash();

    ContactStore &m_store;
    Platform &m_platform;
    QTreeWidget *lstCestino;
    QPushButton *cmdRipristina;
    QPushButton *cmdElimina;
    QPushButton *cmdSvuota;
    std::vector<qint64> m_restored;
    bool m_changed = false;
};
