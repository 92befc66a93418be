#include "ui/controls/DataControl.h"

#include "platform/Platform.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

DataControl::DataControl(Platform &platform, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_caption(new QLabel(this))
    , m_position(new QLabel(this))
    , m_first(new QToolButton(this))
    , m_previous(new QToolButton(this))
    , m_next(new QToolButton(this))
    , m_last(new QToolButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct
    {
        QToolButton *button;
        const char *name;
        Qt::ArrowType arrow;
        const char *text;
        const char *tip;
    } buttons[] = {
        {m_first, "Data1_first", Qt::NoArrow, "|◀", "Primo record"},
        {m_previous, "Data1_previous", Qt::LeftArrow, "", "Record precedente"},
        {m_next, "Data1_next", Qt::RightArrow, "", "Record successivo"},
        {m_last, "Data1_last", Qt::NoArrow, "▶|", "Ultimo record"},
    };
    for (const auto &b : buttons) {
        b.button->setObjectName(QString::fromLatin1(b.name));
        b.button->setArrowType(b.arrow);
        b.button->setText(QString::fromUtf8(b.text));
        b.button->setToolTip(QString::fromUtf8(b.tip));
        b.button->setFocusPolicy(Qt::NoFocus);
        b.button->setFixedSize(22, 21);
    }
    m_caption->setObjectName(QStringLiteral("Data1_caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::StyledPanel);
    m_caption->setAutoFillBackground(true);
    m_caption->setPalette(QPalette(Qt::white));
    layout->addWidget(m_first);
    layout->addWidget(m_previous);
    layout->addWidget(m_caption, 1);
    m_position->setObjectName(QStringLiteral("Data1_position"));
    m_position->setAlignment(Qt::AlignCenter);
    m_position->setContentsMargins(4, 0, 4, 0);
    m_position->setFrameShape(QFrame::StyledPanel);
    m_position->setAutoFillBackground(true);
    m_position->setPalette(QPalette(Qt::white));
    layout->addWidget(m_position);
    layout->addWidget(m_next);
    layout->addWidget(m_last);

    connect(m_first, &QToolButton::clicked, this, &DataControl::MoveFirst);
    connect(m_previous, &QToolButton::clicked, this, [this] {
        // Like the navigation bar it stands for: it stops on the first record, never before it.
        if (m_recordset && m_recordset->position() > 0)
            MovePrevious();
    });
    connect(m_next, &QToolButton::clicked, this, [this] {
        if (m_recordset && m_recordset->position() < m_recordset->recordCount() - 1)
            MoveNext();
    });
    connect(m_last, &QToolButton::clicked, this, &DataControl::MoveLast);
}

void DataControl::setStore(ContactStore *store)
{
    m_store = store;
    m_recordset = store ? std::make_unique<Recordset>(*store) : nullptr;
}

QString DataControl::Caption() const
{
    return m_caption->text();
}

void DataControl::setCaption(const QString &caption)
{
    m_caption->setText(caption);
}

void DataControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        // The caption and the position stay readable while the buttons are off.
        m_caption->setEnabled(true);
        m_position->setEnabled(true);
    }
    QWidget::changeEvent(event);
}

void DataControl::bind(BoundBox *box, Field field)
{
    for (Binding &binding : m_bindings) {
        if (binding.box == box) {
            binding.field = field;
            fillBox(binding);
            return;
        }
    }
    m_bindings.push_back({box, field});
    fillBox(m_bindings.back());
}

bool DataControl::anyBoxChanged() const
{
    for (const Binding &binding : m_bindings) {
        if (binding.box->isDataChanged())
            return true;
    }
    return false;
}

FieldValue DataControl::field(Field field) const
{
    if (!m_recordset)
        return std::nullopt;
    return m_recordset->field(field);
}

Recordset DataControl::Clone() const
{
    return m_recordset->clone();
}

void DataControl::reportFailure(const QString &reason)
{
    m_lastError = reason;
    m_platform.showMessage(reason);
}

ContactRecord DataControl::recordWithChanges() const
{
    ContactRecord record
        = m_recordset->editMode() == EditMode::Adding ? ContactRecord() : m_recordset->current();
    for (const Binding &binding : m_bindings) {
        if (binding.box->isDataChanged())
            record.setValue(binding.field, binding.box->fieldValue());
    }
    return record;
}

bool DataControl::writePendingChanges()
{
    if (m_recordset->editMode() == EditMode::None && !m_recordset->edit()) {
        // Changes typed with no record to hold them (an empty table) have nowhere to go.
        return true;
    }
    if (!m_recordset->update(recordWithChanges())) {
        reportFailure(QStringLiteral("Impossibile salvare il record: %1").arg(m_recordset->lastError()));
        return false;
    }
    for (const Binding &binding : m_bindings)
        binding.box->setDataChanged(false);
    return true;
}

bool DataControl::validate(int action)
{
    if (!m_recordset)
        return false;
    bool save = anyBoxChanged();
    int act = action;
    if (m_validate)
        m_validate(act, save);
    if (!save) {
        for (const Binding &binding : m_bindings)
            binding.box->setDataChanged(false);
    }
    if (act == DataAction::Cancel)
        return false;
    if (save && action != DataAction::Update)
        return writePendingChanges();
    return true;
}

const ContactRecord &DataControl::shownRecord() const
{
    static const ContactRecord empty;
    const bool adding = m_recordset && m_recordset->editMode() == EditMode::Adding;
    return (m_recordset && !adding) ? m_recordset->current() : empty;
}

void DataControl::fillBox(const Binding &binding)
{
    // Setting a box's field shows that field of the current record at once.
    binding.box->fillFromField(shownRecord().value(binding.field));
}

void DataControl::fillBoxes(bool keepChanged)
{
    for (const Binding &binding : m_bindings) {
        if (!keepChanged || !binding.box->isDataChanged())
            fillBox(binding);
    }
}

void DataControl::repositioned(bool keepChanged)
{
    fillBoxes(keepChanged);
    showPosition();
    emit Reposition();
}

void DataControl::showPosition()
{
    const bool shown
        = m_recordset && m_recordset->hasCurrent() && m_recordset->editMode() != EditMode::Adding;
    m_position->setText(shown
            ? QStringLiteral("%1 di %2").arg(m_recordset->position() + 1).arg(m_recordset->recordCount())
            : QString());
    m_position->setVisible(shown);
}

bool DataControl::Refresh()
{
    if (!m_recordset)
        return false;
    if (!m_recordset->requery()) {
        reportFailure(
            QStringLiteral("Impossibile leggere l'archivio dei contatti: %1").arg(m_recordset->lastError()));
        return false;
    }
    repositioned();
    return true;
}

bool DataControl::MoveFirst()
{
    if (!validate(DataAction::MoveFirst))
        return false;
    m_recordset->moveFirst();
    repositioned();
    return true;
}

bool DataControl::MovePrevious()
{
    if (!validate(DataAction::MovePrevious))
        return false;
    m_recordset->movePrevious();
    repositioned();
    return true;
}

bool DataControl::MoveNext()
{
    if (!validate(DataAction::MoveNext))
        return false;
    m_recordset->moveNext();
    repositioned();
    return true;
}

bool DataControl::MoveLast()
{
    if (!validate(DataAction::MoveLast))
        return false;
    m_recordset->moveLast();
    repositioned();
    return true;
}

bool DataControl::FindFirst(const Criterion &criterion)
{
    if (!validate(DataAction::Find))
        return false;
    const bool wasAdding = m_recordset->editMode() == EditMode::Adding;
    const bool found = m_recordset->findFirst(criterion);
    // A failed search leaves the record where it was, but gives up a new record in progress.
    if (found || wasAdding)
        repositioned();
    return found;
}

bool DataControl::AddNew(bool keepTyped)
{
    if (!validate(DataAction::AddNew))
        return false;
    m_recordset->addNew();
    repositioned(keepTyped);
    return true;
}

bool DataControl::Edit()
{
    if (!m_recordset || !m_recordset->edit()) {
        m_lastError = m_recordset ? m_recordset->lastError() : QString();
        return false;
    }
    return true;
}

DataControl::UpdateResult DataControl::Update()
{
    if (!validate(DataAction::Update))
        return UpdateResult::Cancelled;
    const bool adding = m_recordset->editMode() == EditMode::Adding;
    if (!m_recordset->update(recordWithChanges())) {
        m_lastError = m_recordset->lastError();
        return UpdateResult::Failed;
    }
    for (const Binding &binding : m_bindings)
        binding.box->setDataChanged(false);
    // A written new record is not current: the record shown before it comes back.
    if (adding)
        repositioned();
    return UpdateResult::Written;
}

bool DataControl::Delete()
{
    if (!validate(DataAction::Delete))
        return false;
    if (!m_recordset->remove()) {
        m_lastError = m_recordset->lastError();
        return false;
    }
    return true;
}

void DataControl::UpdateControls()
{
    if (!m_recordset)
        return;
    if (m_recordset->editMode() == EditMode::Adding) {
        fillBoxes();
        return;
    }
    // Read the stored values again: the record on screen may hold values that were refused.
    const qint64 id = m_recordset->currentId();
    m_recordset->cancelUpdate();
    if (id != 0)
        m_recordset->findFirst(ById{id});
    fillBoxes();
}

bool DataControl::closeValidation()
{
    return !m_recordset || validate(DataAction::Close);
}
