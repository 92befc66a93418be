// The envelope's questions for the contact shown: its size, which address, and the sender's block,
// kept from one envelope to the next.
#pragma once

#include "output/EnvelopeLayout.h"

#include <QDialog>

class AddressChoice;
class QGroupBox;
class QPlainTextEdit;
class QRadioButton;
class QSettings;

class EnvelopeDialog : public QDialog
{
public:
    // memory keeps the last choices and the sender; it may be null.
    explicit EnvelopeDialog(QSettings *memory, QWidget *parent = nullptr);

    EnvelopeSize size() const;
    bool homeAddress() const;
    // The sender's lines as typed, without the blank ones above and below; none when the sender is
    // not to be printed.
    QStringList sender() const;

    void accept() override;

private:
    QSettings *m_memory;
    QRadioButton *optDL;
    QRadioButton *optC5;
    AddressChoice *address;
    QGroupBox *fraMittente;
    QPlainTextEdit *txtMittente;
};
