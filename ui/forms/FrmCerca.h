// The search argument dialog: what to look for, where, and whether case matters. It keeps nothing
// itself: it starts from the program's search state and writes its answer back there.
#pragma once

#include "search/SearchState.h"

#include <QDialog>
#include <QSvgRenderer>

#include <array>
#include <functional>
#include <optional>

class Platform;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

// What the window does with the argument while it is typed: it shows the hits at once and answers
// how many there are, nullopt when the argument asks for the whole agenda.
using LiveSearch = std::function<std::optional<int>(const SearchState &typed)>;

class FrmCerca : public QDialog
{
    Q_OBJECT
public:
    explicit FrmCerca(Platform &platform, QWidget *parent = nullptr);

    // From here on every change of the text, the case box or the scope is searched at once, and
    // the number of hits shown under the buttons.
    void setLiveSearch(LiveSearch search);
    // The search the controls ask for now, "*" for an empty text.
    SearchState typedState() const;

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
    QLabel *lblTrovati;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void searchAsTyped();

    Platform &m_platform;
    LiveSearch m_liveSearch;
    QSvgRenderer m_background;
};

// Shows FrmCerca modally; its answer is left in searchState() (unchanged when it was closed from
// its frame). With live, the hits are shown while the user types.
void askSearchArgument(Platform &platform, QWidget *parent, LiveSearch live = {});

// "23 contatti trovati".
QString hitCountText(int hits);
