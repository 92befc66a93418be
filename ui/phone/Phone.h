// The main window: the index tree, the contact card with its three pages, the toolbar, the menus
// and the navigation bar Data1. Its handlers carry the names of the controls and events they serve;
// its controls are private and found by their object names, as a user finds them by their place.
#pragma once

#include "contacts/ContactStore.h"
#include "contacts/Recordset.h"
#include "search/SearchEngine.h"
#include "search/SearchState.h"
#include "ui/phone/PhoneUi.h"

#include <QMainWindow>
#include <QRect>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Platform;
struct BackupEntry;
struct PrintedPage;
struct CardDavAccount;
struct HistoryOutcome;
class QSettings;
class QTimer;
class SyncWorker;
struct SyncProgress;
struct SyncSummary;

// The client area as designed: the window opens at this size and is never made smaller.
inline constexpr QSize DesignClientSize(591, 446);

class Phone : public QMainWindow
{
    Q_OBJECT
public:
    // programDir is the folder the program's files are looked for in.
    Phone(Platform &platform, ContactStore &store, QString programDir, QWidget *parent = nullptr);
    ~Phone() override;

    // The load routine: run when the program starts and again to reload the whole agenda.
    void Form_Load();
    // Builds the index tree again from the records the data control holds.
    void FillOutline();
    // Keeps the window's size and place and the contact shown from one run to the next in
    // settings; the remembered place is taken at once.
    void rememberIn(QSettings *settings);

    // True while the card holds changes that are not saved yet.
    bool hasPendingEdit() const { return m_editPending; }
    // Runs the save flow when changes are pending; false when they are still pending afterwards
    // (a name to correct, a write the store refused), so the caller must not move on.
    bool saveBeforeLeaving();
    // The store's check found it damaged: the user is told, and offered the newest good backup.
    void storeDamaged(const QString &message);

signals:
    // A sync wrote contacts on a connection of its own: the tables kept beside PhoneList have them
    // to catch up with.
    void agendaSynced();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Whether the keys are the box's own undo or redo, with typing of its own to take back or do again.
    bool boxUndoes(QObject *watched, const QKeySequence &pressed) const;

private:
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
    void lblAltriDati_Click();

    // Index tree and record positioning
    void RefreshAgenda();
    void OutlineCollapseAll();
    void setLettersOpen(bool open);
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

    // Search
    void BtnCerca_Click();
    // Fills the tree with the hits of state and names them in the title; false when the contacts
    // could not be read, which is told unless quiet.
    bool showHits(const SearchState &state, bool quiet);
    std::optional<int> showLiveHits(const SearchState &typed);
    // Opens the current card's page where query finds it and selects the text it found.
    void showMatchOnCard(const SearchQuery &query);
    void showOtherDataMatch(const SearchQuery &query);

    // Output
    void FileStampaMaschera_Click();
    void FileStampaAgenda_Click();
    void CmdCopia_Click();
    void reportPrintFailure(const QString &reason);

    // Printouts laid out in pages
    void FileEtichette_Click();
    void FileBusta_Click();
    void FileAgendaTascabile_Click();
    // Sends the pages to the platform's preview and tells a failure.
    void printPages(const QString &documentName, const QString &note, const std::vector<PrintedPage> &pages);

    // Import
    void FileImporta_Click();
    void FileImportaContatti_Click();
    void FileEsportaContatti_Click();

    // Undo, trash and backups
    void FileAnnulla_Click();
    void FileRipeti_Click();
    void FileCestino_Click();
    void FileDuplicati_Click();
    void FileSalvaCopia_Click();
    // Takes back the last step, or with redo does again the last one taken back.
    void runHistoryStep(bool redo);
    void FileRipristina_Click();
    // Names in the Edit menu the step an undo or a redo would take; both wait while the card has
    // unsaved changes, which the boxes' own undo serves.
    void updateUndoActions();
    // Shows the outcome of an undo, a redo or a restore: the agenda read again, on the first contact
    // it brought back, or why nothing changed.
    void showHistoryOutcome(const HistoryOutcome &outcome, bool redo);
    // Asks (after why, when given), then puts the backup in the place of the agenda.
    void restoreFromBackup(const BackupEntry &entry, const QString &why);

    // Sync with the CardDAV account
    void FileSincronizza_Click();
    void FileAccount_Click();
    // Opens the account dialog; true when it saved an account.
    bool editSyncAccount();
    // Starts a sync in the background: asked for by the user, who is asked what is missing, or by
    // the timer, which asks nothing and waits while the user is busy with the card or a dialog.
    void startSync(bool onDemand);
    // The timer follows the stored account's interval.
    void scheduleSync();
    // The account's password without asking: the run's, else the keyring's; empty when unknown.
    QString knownSyncPassword(const CardDavAccount &account);
    void rememberSyncPassword(const CardDavAccount &account, const QString &password);
    void showSyncRunning();
    void showSyncProgress(const SyncProgress &progress);
    void syncFinished(const SyncSummary &summary);
    // Stops a sync under way and waits for its thread.
    void stopSync();

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

    void buildControls();
    void buildMenus();
    void createCasaInstances();
    void connectHandlers();
    // Marks the card changed whenever the user edits the box.
    void watchEdits(BoundBox *box);
    void centreWindow();
    void layOutClient(QSize size);
    // Shows the instance (0 Lavoro, 1 Casa) of every page box and hides the other.
    void showPageBoxes(int instance);
    // Fills the list of Altri dati with the current contact's, read from the store.
    void fillOtherData();
    // Shows the label of Altri dati on the Note page when the contact has some, naming what a
    // click shows.
    void showOtherDataLabel();
    // Leaving the Note page hides the list and its label.
    void hideOtherData();
    // The contact as the card shows it, unsaved edits included.
    ContactRecord contactOnScreen() const;
    // Reads the table again, rebuilds the tree with the whole agenda and shows the contact with
    // this id (the first contact when it is 0 or gone).
    void reloadAgendaShowing(qint64 id);
    // Whether the tree shows the whole agenda exactly as last filled or brought up to date.
    bool treeShowsWholeAgenda() const;
    // The same, and from the very rows the data control holds.
    bool treeShowsDataRows() const;
    // The contacts written since the tree showed the whole agenda; false when the store cannot say
    // or they are too many to move one by one.
    bool changedSinceTheTree(std::vector<qint64> *changed) const;
    // Takes the lines of the changed contacts out of the tree that shows rows, and puts them back
    // where the data control's rows, read again, place them; false when the tree must be filled
    // again instead.
    bool removeLinesOf(
        const std::vector<ContactStore::IndexEntry> &shown, const std::vector<qint64> &changed);
    bool insertLinesOf(const std::vector<qint64> &changed);
    // The tree now shows the data control's rows as the whole agenda: the tree's cursor, the
    // rows, the store's generation and count of whole reads are kept, and the title says so.
    void rememberOutlineRows();
    // Every contact in table order, read from the store; false (after telling the user) on a failure.
    bool readAgenda(std::vector<ContactRecord> &contacts);
    // The same for the contacts of ids, in their order; those no longer stored are left out.
    bool readContacts(const std::vector<qint64> &ids, std::vector<ContactRecord> &contacts);
    // Remembers the window and ends the program.
    void endRun();
    void rememberWindow();
    void showRememberedContact();

    PhoneUi ui;
    Platform &m_platform;
    ContactStore &m_store;
    QString m_programDir;

    // Form-level state
    bool FormLoaded = false;
    bool FirstShow = false;
    // The id of the contact to come back to after an edit or a search.
    qint64 RememberedID = 0;
    // The cursor the index tree was last built from.
    std::optional<Recordset> IndexRs;

    bool m_editPending = false;
    bool m_ending = false;
    QSettings *m_memory = nullptr;
    // The window stands where the user left it last time: loads no longer centre it.
    bool m_placeRemembered = false;
    qint64 m_rememberedContact = 0;
    SearchEngine m_search;
    // The contacts the tree shows while it shows a search's hits; empty for the whole agenda.
    std::vector<qint64> m_searchHits;
    // The hit on the first contact line of the tree of hits.
    qint64 m_firstLineHit = 0;
    // The search the tree shows while the search dialog is open, and the store's generation then.
    std::optional<SearchState> m_treeSearch;
    quint64 m_treeSearchGeneration = 0;
    // The client area's controls with their places at the design's size.
    std::vector<std::pair<QWidget *, QRect>> m_designGeometry;
    // The rows the tree shows as the whole agenda, with the tree's revision, the store's generation
    // and its count of whole reads then: what changed since is all a save has to show.
    ContactStore::IndexRows m_outlineRows;
    quint64 m_outlineRevision = 0;
    quint64 m_outlineGeneration = 0;
    quint64 m_outlineReads = 0;

    std::unique_ptr<SyncWorker> m_sync;
    QTimer *m_syncTimer = nullptr;
    bool m_syncOnDemand = false;
    // A sync wrote while the card held changes: the agenda is read again once they are saved or
    // dropped, not under the user's typing.
    bool m_syncedMeanwhile = false;
    // The account's password for this run only, never written, with the keyring key it belongs to:
    // it goes before the keyring's, and is empty once the server refused it, so that the user is
    // asked instead of the keyring's copy being tried again.
    QString m_syncPassword;
    QString m_syncPasswordKey;
};
