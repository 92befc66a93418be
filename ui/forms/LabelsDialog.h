// The address labels' questions: which contacts, which of their addresses, the sheet (one of the
// common ones or one the user measures) and the label to begin on, for a sheet already half used.
#pragma once

#include "output/LabelSheet.h"

#include <QDialog>

#include <array>

class QComboBox;
class QDoubleSpinBox;
class AddressChoice;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSettings;
class QSpinBox;

class LabelsDialog : public QDialog
{
public:
    enum class Which { Shown, Hits, Agenda };

    // hitsShown: the window shows a search's hits. memory keeps the last choices; it may be null.
    LabelsDialog(bool hitsShown, QSettings *memory, QWidget *parent = nullptr);

    Which which() const;
    bool homeAddress() const;
    // The sheet chosen, or the one measured in the boxes of "Personalizzato…".
    LabelSheet sheet() const;
    int startPosition() const;

    void accept() override;

private:
    bool customChosen() const;
    // Shows the measures of a custom sheet, or of the sheet chosen as a start for one.
    void showMeasures(const LabelSheet &sheet);
    void sheetChanged();
    // Offers the positions of the sheet, says where the first label is and whether the sheet fits.
    void updateStart();

    QSettings *m_memory;
    QRadioButton *optShown;
    QRadioButton *optHits;
    QRadioButton *optAgenda;
    AddressChoice *address;
    QComboBox *cboFoglio;
    QGroupBox *fraMisure;
    QSpinBox *spnColonne;
    QSpinBox *spnRighe;
    // Width, height, top and left margins, horizontal and vertical pitch, in mm.
    std::array<QDoubleSpinBox *, 6> spnMisure{};
    QSpinBox *spnInizio;
    QLabel *lblInizio;
    QLabel *lblErrore;
    QPushButton *cmdOK;
};
