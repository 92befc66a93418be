// The search argument dialog: what to look for, where, and whether case matters. It keeps nothing
// itself: it starts from the program's search state and writes its answer back there.
#pragma once

#include <QDialog>
#include <QSvgRenderer>

#include <array>

class Platform;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QToolButton;

class FrmCerca : public QDialog
{
    Q_OBJECT
public:
    explicit FrmCerca(Platform &platform, QWidget *parent = nullptr);

    // Centres the dialog on the screen and shows the search state.
    void Form_Load();
    // "&Cerca": the typed text (or "*" when there is none), the case choice and the scope.
    void Command3D1_Click();
    // "&Tutta l'agenda": the whole agenda, whatever the controls show.
    void Command3D2_Click();
    // A character key in Text1: Enter searches, Escape shows the whole agenda.
    void Text1_KeyPress(int keyAscii);

    QGroupBox *Frame3D1;
    QFrame *Panel3D1;
    QLineEdit *Text1;
    QToolButton *Command3D1;
    QToolButton *Command3D2;
    QCheckBox *Check3D2;
    std::array<QRadioButton *, 4> Option3D1{};

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Platform &m_platform;
    QSvgRenderer m_background;
};

// Shows FrmCerca modally; its answer is left in searchState() (unchanged when it was closed from
// its frame).
void askSearchArgument(Platform &platform, QWidget *parent);
