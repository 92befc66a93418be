// Data1: the navigation bar with its caption, the recordset whose current record the card shows,
// and the boxes bound to it. Every action raises the validate handler first (which may cancel it
// or drop the pending changes); every change of the current record emits Reposition() after.
#pragma once

#include "contacts/Recordset.h"
#include "ui/controls/BoundBox.h"

#include <QWidget>

#include <functional>
#include <memory>

class Platform;
class QLabel;
class QToolButton;

// Action codes handed to the validate handler.
namespace DataAction {
inline constexpr int Cancel = 0;
inline constexpr int MoveFirst = 1;
inline constexpr int MovePrevious = 2;
inline constexpr int MoveNext = 3;
inline constexpr int MoveLast = 4;
inline constexpr int AddNew = 5;
inline constexpr int Update = 6;
inline constexpr int Delete = 7;
inline constexpr int Find = 8;
inline constexpr int Close = 10;
} // namespace DataAction

class DataControl : public QWidget
{
    Q_OBJECT
public:
    enum class UpdateResult { Written, Cancelled, Failed };
    using ValidateHandler = std::function<void(int &action, bool &save)>;

    explicit DataControl(Platform &platform, QWidget *parent = nullptr);

    // The database the control reads; the record source is PhoneList by last and first name.
    void setStore(ContactStore *store);
    ContactStore *store() const { return m_store; }

    QString Caption() const;
    void setCaption(const QString &caption);

    // Binds a box to a field (the box's data field; a later call rebinds it).
    void bind(BoundBox *box, Field field);
    void setValidateHandler(ValidateHandler handler) { m_validate = std::move(handler); }

    // Runs the query again; the first row becomes current.
    bool Refresh();
    bool MoveFirst();
    bool MovePrevious();
    bool MoveNext();
    bool MoveLast();
    bool FindFirst(const Criterion &criterion);
    // Begins a new record. With keepTyped the boxes the user has changed keep their text, cursor and
    // changed mark, so what was typed on a card with no record becomes the new record's.
    bool AddNew(bool keepTyped = false);
    bool Edit();
    UpdateResult Update();
    bool Delete();
    // Puts the current record's stored values back into the bound boxes.
    void UpdateControls();
    // The data source is about to close: the validate handler gets its last word. False when it
    // cancelled the close.
    bool closeValidation();

    EditMode editMode() const { return m_recordset ? m_recordset->editMode() : EditMode::None; }
    bool isEOF() const { return !m_recordset || m_recordset->isEOF(); }
    bool hasCurrent() const { return m_recordset && m_recordset->hasCurrent(); }
    FieldValue field(Field field) const;
    // The current record's id, 0 when there is none.
    qint64 currentId() const { return m_recordset ? m_recordset->currentId() : 0; }
    // An independent cursor over the same rows, on the first one.
    Recordset Clone() const;
    Recordset *recordset() const { return m_recordset.get(); }

    // True when a bound box holds a change the user made and that is not written yet.
    bool anyBoxChanged() const;
    // The reason of the last failure of an action.
    QString lastError() const { return m_lastError; }

signals:
    void Reposition();

protected:
    void changeEvent(QEvent *event) override;

private:
    struct Binding
    {
        BoundBox *box;
        Field field;
    };

    // Raises validate; writes pending changes when the action goes ahead with them. False: don't act.
    bool validate(int action);
    bool writePendingChanges();
    ContactRecord recordWithChanges() const;
    const ContactRecord &shownRecord() const;
    void fillBox(const Binding &binding);
    void fillBoxes(bool keepChanged = false);
    void repositioned(bool keepChanged = false);
    void showPosition();
    void reportFailure(const QString &reason);

    Platform &m_platform;
    ContactStore *m_store = nullptr;
    std::unique_ptr<Recordset> m_recordset;
    std::vector<Binding> m_bindings;
    ValidateHandler m_validate;
    QString m_lastError;
    QLabel *m_caption;
    // Where the current record stands in the record source: "3 di 2008".
    QLabel *m_position;
    QToolButton *m_first;
    QToolButton *m_previous;
    QToolButton *m_next;
    QToolButton *m_last;
};
