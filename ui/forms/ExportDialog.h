// The export's questions: which contacts (the whole agenda, the search's hits, the contact shown),
// in which format, into which file.
#pragma once

#include "exchange/ContactExport.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

class ExportDialog : public QDialog
{
public:
    enum class Which { Agenda, Hits, Shown };

    ExportDialog(bool hitsShown, bool contactShown, QWidget *parent = nullptr);

    Which which() const;
    ExportFormat format() const;
    QString path() const;

private:
    void chooseFile();

    QRadioButton *optAgenda;
    QRadioButton *optHits;
    QRadioButton *optShown;
    QComboBox *cboFormat;
    QLineEdit *txtFile;
};
