// The printouts from the window's Stampe menu: the preview after the design's questions, the labels
// of a search's hits on a sheet already begun, the envelope and the pocket agenda, and what is
// remembered for the next time. The layouts themselves are tested in tests/output.
#include "PhoneFixture.h"

#include "output/LabelSheet.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>

#include "ui/forms/FrmCerca.h"

namespace {

template<typename T>
T *child(QDialog &dialog, const char *name)
{
    T *found = dialog.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no %s", qPrintable(dialog.objectName()), name);
    return found;
}

void press(QDialog &dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

// Every text of the page in one string, to look for a line in.
QString pageText(const ScriptedPlatform::Page &page)
{
    QStringList texts;
    for (const ScriptedPlatform::PlacedLine &line : page.texts)
        texts.append(line.text);
    return texts.join(u'|');
}

} // namespace

class TestPhonePrintouts : public PhoneTest
{
    Q_OBJECT
private slots:
    void init()
    {
        f = std::make_unique<PhoneFixture>();
        memory = std::make_unique<QSettings>(settingsDir.filePath(u"memory.ini"_s), QSettings::IniFormat);
        memory->clear();
    }

    void newItemsFollowTheAgenda()
    {
        f->load();
        QStringList names;
        for (const QAction *action : f->find<QMenu>(u"FileStampe"_s)->actions())
            names.append(action->objectName());
        QCOMPARE(names,
            (QStringList{"FileStampaMaschera", "FileStampaAgenda", "FileEtichette", "FileBusta",
                "FileAgendaTascabile"}));
    }

    // The card's question and the agenda's letters are asked before the preview opens; only the
    // agenda's pages carry numbers.
    void previewComesAfterTheQuestions()
    {
        f->test.add(u"Rossi"_s, u"Mario"_s);
        f->load();
        f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
        f->act(u"FileStampaMaschera"_s);
        f->platform.inputAnswers.enqueue(u"*"_s);
        f->act(u"FileStampaAgenda"_s);
        QCOMPARE(f->platform.previews.size(), 2);
        QVERIFY(f->platform.messages.first().text.contains(u"stampare la scheda"_s));
        QCOMPARE(f->platform.previews[0].boxesBefore, 1);
        QVERIFY(!f->platform.previews[0].numbered);
        QCOMPARE(f->platform.previews[1].boxesBefore, 2);
        QVERIFY(f->platform.previews[1].numbered);
    }

    // The hits of the search, in the tree's order, from the fifth label of a 3 × 8 sheet on: the
    // first lands on the second row's second label, the 21st begins the next sheet. A hit without
    // a work address is named in the note instead. The sheet and the start are offered again.
    void labelsOfTheHits()
    {
        for (int i = 30; i >= 1; --i)
            f->test.add(u"Cliente %1"_s.arg(i, 2, 10, QLatin1Char('0')), u"Anna"_s,
                {{Field::WorkAddress, u"Via Bergamo %1"_s.arg(i)}, {Field::WorkCity, u"Milano"_s}});
        f->test.add(u"Senzavia"_s, u"Ugo"_s, {{Field::HomeCity, u"Bergamo"_s}});
        f->test.add(u"Neri"_s, u"Ada"_s, {{Field::WorkCity, u"Torino"_s}});
        f->platform.dialogScripts.enqueue([](QDialog &dialog) {
            auto &form = static_cast<FrmCerca &>(dialog);
            form.Text1->setText(u"bergamo"_s);
            form.Command3D1_Click();
        });
        f->load();
        f->phone->rememberIn(memory.get());
        QString measuresRefused;
        f->platform.dialogScripts.enqueue([&measuresRefused](QDialog &dialog) {
            auto *sheets = child<QComboBox>(dialog, "cboFoglio");
            // A sheet of one's own too wide for the paper cannot be chosen.
            sheets->setCurrentIndex(sheets->count() - 1);
            child<QSpinBox>(dialog, "spnColonne")->setValue(3);
            child<QDoubleSpinBox>(dialog, "spnLarghezza")->setValue(100);
            if (!child<QPushButton>(dialog, "cmdOK")->isEnabled())
                measuresRefused = child<QLabel>(dialog, "lblErrore")->text();
            sheets->setCurrentIndex(sheets->findData(u"3x8"_s));
            child<QRadioButton>(dialog, "optHits")->setChecked(true);
            child<QSpinBox>(dialog, "spnInizio")->setValue(5);
            press(dialog, "cmdOK");
        });
        f->act(u"FileEtichette"_s);
        QVERIFY2(!measuresRefused.isEmpty(), "a custom sheet wider than the paper was accepted");
        QCOMPARE(f->platform.previews.size(), 1);
        const ScriptedPlatform::Preview &printed = f->platform.previews.first();
        QVERIFY2(printed.note.contains(u"Senzavia Ugo"_s), qPrintable(printed.note));
        QCOMPARE(printed.pages.size(), 2);

        const LabelSheet sheet = *labelSheet(u"3x8"_s);
        QSet<QString> labels;
        for (int page = 0; page < printed.pages.size(); ++page) {
            QCOMPARE(printed.pages[page].paper, sheet.paper);
            for (const ScriptedPlatform::PlacedLine &line : printed.pages[page].texts) {
                const int column = int((line.x - sheet.left) / sheet.horizontalPitch);
                const int row = int((line.baseline - sheet.top) / sheet.verticalPitch);
                labels.insert(u"%1:%2:%3"_s.arg(page).arg(row).arg(column));
            }
        }
        QCOMPARE(labels.size(), 30);
        const ScriptedPlatform::PlacedLine &first = printed.pages[0].texts.first();
        QCOMPARE(int((first.x - sheet.left) / sheet.horizontalPitch), 1);
        QCOMPARE(int((first.baseline - sheet.top) / sheet.verticalPitch), 1);
        QVERIFY(pageText(printed.pages[0]).contains(u"Cliente 01"_s));
        QVERIFY(pageText(printed.pages[1]).contains(u"Cliente 30"_s));
        QVERIFY(!pageText(printed.pages[0]).contains(u"Neri"_s));

        QString sheetOffered;
        int startOffered = 0;
        f->platform.dialogScripts.enqueue([&](QDialog &dialog) {
            sheetOffered = child<QComboBox>(dialog, "cboFoglio")->currentData().toString();
            startOffered = child<QSpinBox>(dialog, "spnInizio")->value();
        });
        f->act(u"FileEtichette"_s);
        QCOMPARE(sheetOffered, u"3x8"_s);
        QCOMPARE(startOffered, 5);
    }

    // The envelope of the contact shown, on its own paper, with the sender typed the first time
    // and offered again the next.
    void envelopeRemembersTheSender()
    {
        f->test.add(u"Rossi"_s, u"Mario"_s,
            {{Field::HomeAddress, u"Corso Italia 5"_s}, {Field::HomeCity, u"Monza"_s},
                {Field::HomePostalCode, u"20900"_s}, {Field::HomeProv, u"MB"_s}});
        f->load();
        f->phone->rememberIn(memory.get());
        const QString sender = u"Luca Verdi\nVia Po 3\n24100 Bergamo (BG)"_s;
        f->platform.dialogScripts.enqueue([&sender](QDialog &dialog) {
            child<QRadioButton>(dialog, "optC5")->setChecked(true);
            child<QRadioButton>(dialog, "optCasa")->setChecked(true);
            child<QPlainTextEdit>(dialog, "txtMittente")->setPlainText(sender);
            press(dialog, "cmdOK");
        });
        f->act(u"FileBusta"_s);
        QCOMPARE(f->platform.previews.size(), 1);
        const QList<ScriptedPlatform::Page> &pages = f->platform.previews.first().pages;
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].paper, QSizeF(229, 162));
        QVERIFY(pageText(pages[0]).contains(u"Via Po 3|24100 Bergamo (BG)"_s));
        QVERIFY(pageText(pages[0]).contains(u"Corso Italia 5|20900 Monza (MB)"_s));

        QString offered;
        bool c5 = false;
        f->platform.dialogScripts.enqueue([&](QDialog &dialog) {
            offered = child<QPlainTextEdit>(dialog, "txtMittente")->toPlainText();
            c5 = child<QRadioButton>(dialog, "optC5")->isChecked();
            // The work address is empty: nothing is printed, and the user is told.
            child<QRadioButton>(dialog, "optLavoro")->setChecked(true);
            press(dialog, "cmdOK");
        });
        f->act(u"FileBusta"_s);
        QCOMPARE(offered, sender);
        QVERIFY(c5);
        QCOMPARE(f->platform.previews.size(), 1);
        QVERIFY(f->platform.messages.last().text.contains(u"indirizzo di lavoro"_s));
    }

    // A contact being typed is saved first and then printed; the preview tells how to cut the sheets.
    void pocketAgendaSavesFirst()
    {
        f->test.add(u"Rossi"_s, u"Mario"_s, {{Field::Cellulare, u"333 1234567"_s}});
        f->load();
        f->newContact(u"Bassi"_s, u"Bea"_s);
        f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
        f->act(u"FileAgendaTascabile"_s);
        QCOMPARE(f->platform.messages.size(), 1);
        QVERIFY(!f->phone->hasPendingEdit());
        QCOMPARE(f->platform.previews.size(), 1);
        const ScriptedPlatform::Preview &printed = f->platform.previews.first();
        QVERIFY(printed.note.contains(u"tagliare i fogli in quattro"_s));
        QVERIFY(!printed.pages.isEmpty());
        QCOMPARE(printed.pages[0].paper, QSizeF(210, 297));
        QString all;
        for (const ScriptedPlatform::Page &page : printed.pages)
            all += pageText(page);
        QVERIFY2(all.contains(u"Bassi"_s) && all.contains(u"Rossi"_s), qPrintable(all));
    }

private:
    QTemporaryDir settingsDir;
    std::unique_ptr<QSettings> memory;
};

QTEST_MAIN(TestPhonePrintouts)
#include "test_phone_printouts.moc"
