// The automatic backups of the agenda, newest first, with the day each was taken and how many
// contacts it holds; a copy that cannot be restored says why and cannot be chosen.
#pragma once

#include "backup/BackupEntry.h"

#include <QDialog>

#include <optional>
#include <vector>

class QPushButton;
class QTreeWidget;

class BackupDialog : public QDialog
{
public:
    explicit BackupDialog(std::vector<BackupEntry> entries, QWidget *parent = nullptr);

    // The copy to restore, once the dialog was closed with "Ripristina".
    std::optional<BackupEntry> chosen() const;

private:
    std::optional<size_t> current() const;

    std::vector<BackupEntry> m_entries;
    QTreeWidget *lstCopie;
    QPushButton *cmdRipristina;
};
