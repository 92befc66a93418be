// The main window's controls, under the names they carry as object names. Only Phone holds them.
#pragma once

#include "ui/controls/BoundBox.h"
#include "ui/controls/DataControl.h"
#include "ui/phone/CardFields.h"

#include <QWidget>

class ClickLabel;
class Outline;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class QTreeWidget;

struct PhoneUi
{
    QWidget *client = nullptr;

    // Toolbar
    QToolButton *cNew = nullptr;
    QToolButton *cDelete = nullptr;
    QToolButton *cUpdate = nullptr;
    QToolButton *BtnCerca = nullptr;
    QToolButton *CmdCopia = nullptr;
    QToolButton *BtnChiama = nullptr;
    QToolButton *BtnFine = nullptr;

    Outline *Outline1 = nullptr;
    QFrame *Picture1 = nullptr;
    BoundTextEdit *tNotes = nullptr;
    DataControl *Data1 = nullptr;
    QLabel *Image1 = nullptr;
    QToolButton *Command3d2 = nullptr; // Lavoro
    QToolButton *Command3d1 = nullptr; // Casa
    QToolButton *Command3d3 = nullptr; // Note
    // On the Note page, for a contact that came with more than the card holds: the label that
    // swaps the notes for the list of those data and back.
    ClickLabel *lblAltriDati = nullptr;
    QTreeWidget *lstAltriDati = nullptr;

    // Inside the card; the page boxes are found through CardFields.
    BoundLineEdit *tLName = nullptr;
    BoundLineEdit *tFName = nullptr;
    ClickLabel *Label1 = nullptr; // "Cellulare:"
    ClickLabel *Label2 = nullptr; // "E-Mail Internet:"
    QToolButton *Command1 = nullptr; // mail
    QToolButton *Command2 = nullptr; // home page

    // Menus
    QMenu *MenuFile = nullptr;
    QMenu *FileStampe = nullptr;
    QAction *FileStampaMaschera = nullptr;
    QAction *FileStampaAgenda = nullptr;
    QAction *FileEtichette = nullptr;
    QAction *FileBusta = nullptr;
    QAction *FileAgendaTascabile = nullptr;
    QAction *FileImporta = nullptr;
    QAction *FileImportaContatti = nullptr;
    QAction *FileEsportaContatti = nullptr;
    QAction *FileSalvaCopia = nullptr;
    QAction *FileRipristina = nullptr;
    QAction *FileEsci = nullptr;
    QMenu *FileEdit = nullptr;
    QAction *FileNuovo = nullptr;
    QAction *FileCancella = nullptr;
    QAction *FileAggiorna = nullptr;
    QAction *FileCerca = nullptr;
    QAction *FileCopia = nullptr;
    QAction *FileChiama = nullptr;
    QAction *FileAnnulla = nullptr;
    QAction *FileRipeti = nullptr;
    QAction *FileCestino = nullptr;
    QAction *FileDuplicati = nullptr;
    QAction *FileSincronizza = nullptr;
    QAction *FileAccount = nullptr;
    QMenu *FileHelp = nullptr;
    QAction *FileAiuto = nullptr;
    QAction *MenuHomeAutore = nullptr;
    QAction *MenuMail = nullptr;
    QAction *FileAbout = nullptr;

    // In the status bar while a sync runs, made with the first sync: where it is, and its stop.
    QLabel *lblSincronizza = nullptr;
    QProgressBar *prgSincronizza = nullptr;
    QPushButton *cmdAnnullaSync = nullptr;

    // The box that shows a field of the table: instance 1 is a page box's Casa copy, null until
    // the first load creates it.
    BoundBox *box(const CardField &entry, int instance = 0) const;
};
