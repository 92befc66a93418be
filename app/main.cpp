// The program: Qt's application object, the platform, the contact store and the main window.
#include "app/SafetyNet.h"
#include "app/SingleInstance.h"
#include "app/StoreOpening.h"
#include "lookup/LookupKeeping.h"
#include "ui/phone/Phone.h"
#include "ui/platform/QtPlatform.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rubrello"));
    QApplication::setOrganizationName(QStringLiteral("Rubrello"));
    // The desktop matches the windows to the menu entry and its icon by this name.
    QApplication::setDesktopFileName(QStringLiteral(RUBRELLO_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rubrello.svg")));

    // Qt's own buttons and dialogs speak Italian like the rest of the program.
    QTranslator qtItalian;
    if (qtItalian.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtItalian);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    QtPlatform platform;
    const QString programDir = QApplication::applicationDirPath();
    SingleInstance instance(instanceAddress(programDir));
    switch (instance.start()) {
    case SingleInstance::Start::First:
        break;
    case SingleInstance::Start::HandedOver:
        return 0;
    case SingleInstance::Start::Unanswered:
        platform.showMessage(SingleInstance::unansweredMessage(), MessageIcon::Exclamation);
        return 1;
    }
    std::unique_ptr<ContactStore> store = openStoreOrExplain(platform, programDir);
    if (!store)
        return 1;
    // Kept up to date for rubrello-cli, which answers from these tables without reading every contact.
    LookupKeeping lookup(*store);

    Phone phone(platform, *store, programDir);
    QObject::connect(&phone, &Phone::agendaSynced, [&lookup] { lookup.poke(); });
    QSettings memory;
    phone.rememberIn(&memory);
    platform.rememberIn(&memory);
    instance.setWindow(&phone);
    // The check of every page ends once the window shows; damage is told then, with the newest good
    // backup offered.
    store->setDamageHandler([&phone](const QString &message) { phone.storeDamaged(message); });
    SafetyNet safety(*store, platform);
    phone.Form_Load();
    phone.show();
    safety.atStart();
    const int status = QApplication::exec();
    safety.atEnd();
    return status;
}
