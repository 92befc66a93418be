// The main window: the index tree, the contact card with its three pages, the toolbar, the menus
// and the navigation bar Data1. Its handlers carry the names of the controls and events they serve.
#pragma once

#include "ui/controls/BoundBox.h"
#include "ui/controls/DataControl.h"
#include "contacts/Recordset.h"
#include "search/SearchEngine.h"

#include <QMainWindow>
#include <QRect>

#include <array>
#include <optional>
#include <utility>
#include <vector>

class ClickLabel;
class ContactStore;
class Outline;
class Platform;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSettings;
class QToolButton;

// The client area as designed: the window opens at this size and is never made smaller.
inline constexpr QSize DesignClientSize(591, 446);

class Phone : public QMainWindow
{
    Q_OBJECT
public:
    // programDir is the program's own directory, made current by Form_Load.
    Phone(Platform &platform, ContactStore &store, QString programDir, QWidget *parent = nullptr);
    ~Phone() override;

    // The load routine: run when the program starts and again to reload the whole agenda.
    void Form_Load();
    // Keeps the window's size and place and the contact shown from one run to the next in
    // settings; the remembered place is taken at once.
    void rememberIn(QSettings *settings);

    // Toolbar
    QToolButton *cNew;
    QToolButton *cDelete;
    QToolButton *cUpdate;
    QToolButton *BtnCerca;
    QToolButton *CmdCopia;
    QToolButton *BtnChiama;
    QToolButton *BtnFine;

    Outline *Outline1;
    QFrame *Picture1;
    BoundTextEdit *tNotes;
    DataControl *Data1;
    QLabel *Image1;
    QToolButton *Command3d2; // Lavoro
    QToolButton *Command3d1; // Casa
    QToolButton *Command3d3; // Note

    // Inside the card
    BoundLineEdit *tLName;
    BoundLineEdit *tFName;
    BoundLineEdit *tCountry;
    BoundLineEdit *Text1;
    BoundLineEdit *tInternet;
    BoundLineEdit *tHomepage;
    // Page boxes: element 0 is the Lavoro instance, element 1 the Casa instance.
    std::array<BoundTextEdit *, 2> tAddress{};
    std::array<BoundLineEdit *, 2> tCity{};
    std::array<BoundLineEdit *, 2> tProv{};
    std::array<BoundLineEdit *, 2> tPost{};
    std::array<BoundLineEdit *, 2> tPhone{};
    std::array<BoundLineEdit *, 2> tFax{};
    ClickLabel *Label1; // "Cellulare:"
    ClickLabel *Label2; // "E-Mail Internet:"
    QToolButton *Command1; // mail
    QToolButton *Command2; // home page

    // Menus
    QMenu *MenuFile;
    QMenu *FileStampe;
    QAction *FileStampaMaschera;
    QAction *FileStampaAgenda;
    QAction *FileImporta;
    QAction *FileEsci;
    QMenu *FileEdit;
    QAction *FileNuovo;
    QAction *FileCancella;
    QAction *FileAggiorna;
    QAction *FileCerca;
    QAction *FileCopia;
    QAction *FileChiama;
    QMenu *FileHelp;
    QAction *FileAiuto;
    QAction *MenuHomeAutore;
    QAction *MenuMail;
    QAction *FileAbout;

    // Form-level state
    bool FormLoaded = false;
    bool FirstShow = false;
    QString DbName;
    // The id of the contact to come back to after an edit or a search.
    qint64 RememberedID = 0;
    // The cursor the index tree was last built from.
    std::optional<Recordset> IndexRs;

    // Start-up and shutdown
    void BtnFine_Click();

    // Menu items that only forward
    void FileNuovo_Click();
    void FileCancella_Click();
    void FileAggiorna_Click();
    void FileCerca_Click();
    void FileCopia_Click();
    void FileEsci_Click();

    // Card pages
    void Command3d1_Click();
    void Command3d2_Click();
    void Command3d3_Click();
    void Label1_Click();
    void Label2_Click();

    // Index tree and record positioning
    void RefreshAgenda();
    void FillOutline();
    void OutlineCollapseAll();
    void Outline1_Click();
    void Outline1_DblClick();
    void Outline1_KeyPress(int keyAscii);
    void Outline1_Collapse(int line);
    void Outline1_Expand(int line);
    void Data1_Reposition();

    // Record editing
    void cNew_Click();
    void cUpdate_Click();
    void cDelete_Click();
    void Data1_Validate(int &action, bool &save);
    void markChanged();
    void setBrowsingState();
    void setChangedState();
    // True while the card holds changes that are not saved yet.
    bool hasPendingEdit() const;
    // Runs the save flow when changes are pending; false when they are still pending afterwards
    // (a name to correct, a write the store refused), so the caller must not move on.
    bool saveBeforeLeaving();

    // Search
    void BtnCerca_Click();

    // Output
    void FileStampaMaschera_Click();
    void FileStampaAgenda_Click();
    void CmdCopia_Click();

    // Import
    void FileImporta_Click();

    // Dialing
    void BtnChiama_Click();
    void FileChiama_Click();

    // Links, help and About
    void Command1_Click();
    void Command2_Click();
    void FileAiuto_Click();
    void MenuMail_Click();
    void MenuHomeAutore_Click();
    void FileAbout_Click();

    Platform &platform() const { return m_platform; }
    ContactStore &store() const { return m_store; }
    QString programDir() const { return m_programDir; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void createCasaInstances();
    void connectHandlers();
    void centreWindow();
    void layOutClient(QSize size);
    // Reads the table again, rebuilds the tree with the whole agenda and shows the contact with
    // this id (the first contact when it is 0 or gone).
    void reloadAgendaShowing(qint64 id);
    // Remembers the window and ends the program.
    void endRun();
    void rememberWindow();
    void showRememberedContact();

    Platform &m_platform;
    ContactStore &m_store;
    QString m_programDir;
    bool m_ending = false;
    QSettings *m_memory = nullptr;
    // The window stands where the user left it last time: loads no longer centre it.
    bool m_placeRemembered = false;
    qint64 m_rememberedContact = 0;
    SearchEngine m_search;
    // The client area's controls with their places at the design's size.
    std::vector<std::pair<QWidget *, QRect>> m_designGeometry;
    // The rows the tree was last filled from as the whole agenda, and the tree's revision then.
    ContactStore::IndexRows m_outlineRows;
    quint64 m_outlineRevision = 0;
};
