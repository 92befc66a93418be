#include "ui/forms/TrashDialog.h"

#include "history/Trash.h"
#include "platform/Platform.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TrashDialog::TrashDialog(ContactStore &store, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("TrashDialog"));
    setWindowTitle(QStringLiteral("Cestino"));
    auto *hint = new QLabel(QStringLiteral("I contatti cancellati restano nel cestino per %1 giorni, "
                                           "poi vengono eliminati definitivamente.")
                                .arg(TrashDays),
        this);
    hint->setWordWrap(true);

    lstCestino = new QTreeWidget(this);
    lstCestino->setObjectName(QStringLiteral("lstCestino"));
    lstCestino->setHeaderLabels({QStringLiteral("Contatto"), QStringLiteral("Cancellato il")});
    lstCestino->setRootIsDecorated(false);
    lstCestino->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstCestino->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstCestino->header()->setStretchLastSection(false);
    lstCestino->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Chiudi"));
    cmdRipristina = buttons->addButton(QStringLiteral("&Ripristina"), QDialogButtonBox::ActionRole);
    cmdElimina = buttons->addButton(QStringLiteral("&Elimina definitivamente"), QDialogButtonBox::ActionRole);
    cmdSvuota = buttons->addButton(QStringLiteral("&Svuota il cestino"), QDialogButtonBox::ActionRole);
    cmdRipristina->setObjectName(QStringLiteral("cmdRipristina"));
    cmdElimina->setObjectName(QStringLiteral("cmdElimina"));
    cmdSvuota->setObjectName(QStringLiteral("cmdSvuota"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cmdRipristina, &QPushButton::clicked, this, &TrashDialog::restoreChosen);
    connect(cmdElimina, &QPushButton::clicked, this, &TrashDialog::removeChosen);
    connect(cmdSvuota, &QPushButton::clicked, this, &TrashDialog::emptyTrash);
    connect(lstCestino, &QTreeWidget::itemSelectionChanged, this, [this] {
        cmdRipristina->setEnabled(!chosen().empty());
        cmdElimina->setEnabled(!chosen().empty());
    });
    connect(lstCestino, &QTreeWidget::itemDoubleClicked, this, &TrashDialog::restoreChosen);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(lstCestino);
    layout->addWidget(buttons);
    resize(480, 360);

    // What has been there past its days goes before the user sees the list.
    QString error;
    if (expireTrash(m_store, QDateTime::currentDateTimeUtc(), &error) > 0)
        m_changed = true;
    fill();
}

void TrashDialog::fill()
{
    lstCestino->clear();
    QString error;
    const QLocale locale;
    for (const TrashEntry &entry : trashEntries(m_store, &error)) {
        auto *item = new QTreeWidgetItem(lstCestino,
            {entry.name, locale.toString(entry.deleted.toLocalTime(), QStringLiteral("d MMMM yyyy, HH:mm"))});
        item->setData(0, Qt::UserRole, entry.trashId);
    }
    if (!error.isEmpty())
        m_platform.showMessage(QStringLiteral("Impossibile leggere il cestino: %1").arg(error));
    if (lstCestino->topLevelItemCount() > 0)
        lstCestino->setCurrentItem(lstCestino->topLevelItem(0));
    cmdRipristina->setEnabled(!chosen().empty());
    cmdElimina->setEnabled(!chosen().empty());
    cmdSvuota->setEnabled(lstCestino->topLevelItemCount() > 0);
}

std::vector<qint64> TrashDialog::chosen() const
{
    std::vector<qint64> ids;
    for (const QTreeWidgetItem *item : lstCestino->selectedItems())
        ids.push_back(item->data(0, Qt::UserRole).toLongLong());
    return ids;
}

void TrashDialog::restoreChosen()
{
    const HistoryOutcome outcome = restoreFromTrash(m_store, chosen());
    if (!outcome.ok()) {
        m_platform.showMessage(QStringLiteral("Impossibile ripristinare: %1").arg(outcome.failure));
        return;
    }
    m_changed = true;
    m_restored.insert(m_restored.end(), outcome.contacts.begin(), outcome.contacts.end());
    fill();
}

void TrashDialog::removeChosen()
{
    const std::vector<qint64> ids = chosen();
    if (ids.empty()
        || !m_platform.askOkCancel(ids.size() == 1
                ? QStringLiteral(
                    "Eliminare definitivamente il contatto scelto? Non potrà più essere ripristinato.")
                : QStringLiteral(
                    "Eliminare definitivamente i %1 contatti scelti? Non potranno più essere ripristinati.")
                      .arg(ids.size())))
        return;
    QString error;
    if (!removeFromTrash(m_store, ids, &error))
        m_platform.showMessage(QStringLiteral("Impossibile eliminare dal cestino: %1").arg(error));
    m_changed = true;
    fill();
}

void TrashDialog::emptyTrash()
{
    if (!m_platform.askOkCancel(
            QStringLiteral("Svuotare il cestino? I contatti che contiene non potranno più "
                           "essere ripristinati.")))
        return;
    QString error;
    if (!::emptyTrash(m_store, &error))
        m_platform.showMessage(QStringLiteral("Impossibile svuotare il cestino: %1").arg(error));
    m_changed = true;
    fill();
}
