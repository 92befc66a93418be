#include "ui/forms/BackupDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

BackupDialog::BackupDialog(std::vector<BackupEntry> entries, QWidget *parent)
    : QDialog(parent)
    , m_entries(std::move(entries))
{
    setObjectName(QStringLiteral("BackupDialog"));
    setWindowTitle(QStringLiteral("Ripristina da una copia di sicurezza"));
    auto *hint = new QLabel(QStringLiteral("Rubrello salva una copia dell'agenda al giorno, all'avvio o alla "
                                           "chiusura, e tiene quelle degli ultimi 7 giorni e una per "
                                           "settimana delle ultime 4. Prima di ripristinarne una, salva "
                                           "anche l'agenda com'è adesso."),
        this);
    hint->setWordWrap(true);

    lstCopie = new QTreeWidget(this);
    lstCopie->setObjectName(QStringLiteral("lstCopie"));
    lstCopie->setHeaderLabels({QStringLiteral("Data"), QStringLiteral("Tipo"), QStringLiteral("Contatti")});
    lstCopie->setRootIsDecorated(false);
    lstCopie->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    const QLocale locale;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const BackupEntry &entry = m_entries[i];
        auto *item = new QTreeWidgetItem(lstCopie,
            {backupDateText(entry), backupKindText(entry.kind),
                entry.good() ? locale.toString(entry.contacts) : entry.problem});
        item->setData(0, Qt::UserRole, qulonglong(i));
        if (!entry.good()) {
            item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
            item->setToolTip(2, entry.problem);
        }
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdRipristina = buttons->button(QDialogButtonBox::Ok);
    cmdRipristina->setText(QStringLiteral("&Ripristina"));
    cmdRipristina->setObjectName(QStringLiteral("cmdRipristina"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Chiudi"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lstCopie, &QTreeWidget::currentItemChanged, this,
        [this] { cmdRipristina->setEnabled(current().has_value()); });
    connect(lstCopie, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (current())
            accept();
    });

    auto *empty = new QLabel(QStringLiteral("Non ci sono ancora copie di sicurezza dell'agenda."), this);
    empty->setVisible(m_entries.empty());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(empty);
    layout->addWidget(lstCopie);
    layout->addWidget(buttons);
    resize(560, 360);

    // The newest copy that can be restored is chosen to begin with.
    for (int i = 0; i < lstCopie->topLevelItemCount(); ++i) {
        if (lstCopie->topLevelItem(i)->flags() & Qt::ItemIsEnabled) {
            lstCopie->setCurrentItem(lstCopie->topLevelItem(i));
            break;
        }
    }
    cmdRipristina->setEnabled(current().has_value());
}

std::optional<size_t> BackupDialog::current() const
{
    const QTreeWidgetItem *item = lstCopie->currentItem();
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return std::nullopt;
    return size_t(item->data(0, Qt::UserRole).toULongLong());
}

std::optional<BackupEntry> BackupDialog::chosen() const
{
    if (result() != QDialog::Accepted || !current())
        return std::nullopt;
    return m_entries[*current()];
}
