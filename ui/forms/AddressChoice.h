// "di lavoro" or "di casa": which address a printout of addresses takes, as it was chosen last time.
#pragma once

#include <QGroupBox>
#include <QString>

class QRadioButton;
class QSettings;

class AddressChoice : public QGroupBox
{
public:
    // memory (may be null) holds the last choice under key.
    AddressChoice(const QString &title, QSettings *memory, const QString &key, QWidget *parent);

    bool home() const;
    // Keeps the choice for the next time.
    void remember() const;

private:
    QSettings *m_memory;
    QString m_key;
    QRadioButton *optLavoro;
    QRadioButton *optCasa;
};
