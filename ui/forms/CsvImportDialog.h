// The CSV import's preview: the first rows of the file, its separator and encoding (guessed, for
// the user to correct) and, above each column, what it becomes on the card.
#pragma once

#include "csv/CsvFormat.h"
#include "csv/CsvMapping.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QTableWidget;

class CsvImportDialog : public QDialog
{
public:
    // mapping is the one offered first: recognised from the header, or the user's from last time.
    CsvImportDialog(QString path, CsvFormat format, CsvMapping mapping, QWidget *parent = nullptr);

    CsvFormat format() const;
    CsvMapping mapping() const;

private:
    void showRows();

    QString m_path;
    CsvMapping m_offered;
    QComboBox *cboSeparator;
    QComboBox *cboEncoding;
    QTableWidget *tblPreview;
    QLabel *lblProblem;
    QList<QComboBox *> m_columns;
};
