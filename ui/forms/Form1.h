// The dial dialog: the shown contact's five numbers as they will be dialled, a call button for each,
// and the two dialing options, saved to RUBRELLO.INI when the dialog closes.
#pragma once

#include "dial/DialStrings.h"

#include <QDialog>

#include <array>

class Platform;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the dialog needs from the main window, taken as plain values when it opens.
struct DialSources
{
    DialStringArray numbers; // the boxes' texts in entry order (see DialEntry)
    QString lastName;
    QString firstName;
    QString programDir; // where the options file and the dialer program are looked for
};

class Form1 : public QDialog
{
    Q_OBJECT
public:
    // The dialog keeps the rest of the program out of use while it is open and frees itself on closing.
    explicit Form1(Platform &platform, QWidget *parent = nullptr);

    void Form_Load(const DialSources &sources);
    void Command3D1_Click(int index);
    void Command3D2_Click();

    QString optionsPath() const { return m_optionsPath; }
    static QString dialerProgram(const QString &programDir);

    // How often a failing options file is tried before the dialog closes without saving.
    static constexpr int optionsFileAttempts = 3;

    std::array<QPushButton *, DialEntryCount> Command3D1{};
    std::array<QLabel *, DialEntryCount> Panel3D1{};
    QGroupBox *Frame3D1;
    QGroupBox *Frame3D2;
    QLineEdit *Text1;
    QLineEdit *Text2;
    QPushButton *Command3D2;

signals:
    // The options are saved (or given up on) and the dialog is going away.
    void closed();

public slots:
    // Escape: the same as "&Annulla".
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void readOptions();
    void saveOptions();
    void centreOnScreen();
    void showOptionsFileError();

    Platform &m_platform;
    QString m_programDir;
    QString m_optionsPath;
    bool m_optionsSaved = false;
    bool m_closedSignalled = false;
};
