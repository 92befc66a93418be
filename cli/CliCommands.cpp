#include "cli/CliCommands.h"

#include "cli/DuplicateCommands.h"
#include "cli/ExchangeCommands.h"
#include "cli/PrintCommands.h"
#include "cli/SafetyCommands.h"
#include "cli/SyncCommands.h"
#include "contacts/ContactStore.h"
#include "dial/NumberKey.h"
#include "exchange/CardProperties.h"
#include "exchange/FileSources.h"
#include "import/FirstVersionImport.h"
#include "lookup/ContactLookup.h"
#include "lookup/LookupBuilder.h"
#include "output/CardLayout.h"
#include "platform/DataLocation.h"
#include "text/NameLine.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <array>
#include <memory>
#include <optional>

namespace {

struct Invocation
{
    QString command;
    QStringList operands;
    QString store;
    std::optional<int> scope;
    bool caseSensitive = false;
    QString format;
    bool dryRun = false;
    bool help = false;
    bool update = false;
    ExportRequest exportRequest;
    bool vcard = false;
    std::optional<QString> version;
    std::optional<qint64> restoreId;
    bool emptyTrash = false;
    AccountRequest account;
    PrintRequest print;
    bool sheetGiven = false;
};

// Splits the command line; an empty string, or the reason it cannot be understood.
QString parse(const QStringList &arguments, Invocation &call)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        const auto value = [&](QString *into) {
            if (i + 1 >= arguments.size())
                return false;
            *into = arguments.at(++i);
            return true;
        };
        QString text;
        if (word == u"--help" || word == u"-h") {
            call.help = true;
        } else if (word == u"--store") {
            if (!value(&call.store))
                return QStringLiteral("--store vuole il file dell'agenda");
        } else if (word == u"--scope") {
            bool number = false;
            const int scope = value(&text) ? text.toInt(&number) : -1;
            if (!number || scope < 0 || scope > 3)
                return QStringLiteral("--scope vuole un numero da 0 a 3");
            call.scope = scope;
        } else if (word == u"--dry-run") {
            call.dryRun = true;
        } else if (word == u"--case") {
            call.caseSensitive = true;
        } else if (word == u"--format") {
            if (!value(&call.format) || call.format != u"mutt")
                return QStringLiteral("--format conosce solo \"mutt\"");
        } else if (word == u"--update") {
            call.update = true;
        } else if (word == u"--vcard") {
            call.vcard = true;
        } else if (word == u"--csv") {
            call.exportRequest.csv = true;
        } else if (word == u"--version") {
            if (!value(&text) || (text != u"3.0" && text != u"4.0"))
                return QStringLiteral("--version vuole 3.0 oppure 4.0");
            call.version = text;
        } else if (word == u"--search") {
            if (!value(&text))
                return QStringLiteral("--search vuole il testo da cercare");
            call.exportRequest.search = text;
        } else if (word == u"--restore") {
            bool number = false;
            call.restoreId = value(&text) ? text.toLongLong(&number) : 0;
            if (!number)
                return QStringLiteral("--restore vuole l'ID del contatto da ripristinare");
        } else if (word == u"--empty") {
            call.emptyTrash = true;
        } else if (word == u"--url") {
            if (!value(&call.account.url))
                return QStringLiteral("--url vuole l'indirizzo del server o della rubrica");
        } else if (word == u"--user") {
            if (!value(&call.account.user))
                return QStringLiteral("--user vuole il nome utente");
        } else if (word == u"--interval") {
            bool number = false;
            const int minutes = value(&text) ? text.toInt(&number) : -1;
            if (!number || minutes < 0 || minutes > 24 * 60)
                return QStringLiteral("--interval vuole i minuti, da 0 (solo a richiesta) a 1440");
            call.account.interval = minutes;
        } else if (word == u"--trust") {
            if (!value(&call.account.trust))
                return QStringLiteral("--trust vuole l'impronta SHA-256 del certificato");
        } else if (word == u"--password-stdin") {
            call.account.passwordFromInput = true;
        } else if (word == u"--remove") {
            call.account.remove = true;
        } else if (word == u"--sheet") {
            if (!value(&call.print.sheet))
                return QStringLiteral("--sheet vuole il foglio di etichette (3x8, 3x7... o custom:...)");
            call.sheetGiven = true;
        } else if (word == u"--start") {
            bool number = false;
            const int start = value(&text) ? text.toInt(&number) : 0;
            if (!number || start < 1)
                return QStringLiteral("--start vuole la posizione della prima etichetta libera, da 1");
            call.print.start = start;
        } else if (word == u"--home") {
            call.print.home = true;
        } else if (word == u"--c5") {
            call.print.c5 = true;
        } else if (word == u"--sender") {
            QString sender;
            if (!value(&sender))
                return QStringLiteral("--sender vuole le righe del mittente, separate da \"|\"");
            call.print.sender = sender;
        } else if (word.startsWith(u"--") && word.size() > 2) {
            return QStringLiteral("opzione sconosciuta: %1").arg(word);
        } else if (call.command.isEmpty()) {
            call.command = word;
        } else {
            call.operands.append(word);
        }
    }
    if (call.help)
        return {};
    if (call.command.isEmpty())
        return QStringLiteral("manca il comando");
    static const QStringList commands = {QStringLiteral("who"), QStringLiteral("search"),
        QStringLiteral("show"), QStringLiteral("import"), QStringLiteral("import-first-version"),
        QStringLiteral("export"), QStringLiteral("undo"), QStringLiteral("redo"), QStringLiteral("trash"),
        QStringLiteral("backup"), QStringLiteral("backups"), QStringLiteral("restore"),
        QStringLiteral("duplicates"), QStringLiteral("account"), QStringLiteral("sync"),
        QStringLiteral("labels"), QStringLiteral("envelope")};
    if (!commands.contains(call.command))
        return QStringLiteral("comando sconosciuto: %1").arg(call.command);
    const bool exporting = call.command == u"export";
    static const QStringList alone
        = {QStringLiteral("undo"), QStringLiteral("redo"), QStringLiteral("trash"), QStringLiteral("backups"),
            QStringLiteral("duplicates"), QStringLiteral("account"), QStringLiteral("sync")};
    if (alone.contains(call.command)) {
        if (!call.operands.isEmpty())
            return QStringLiteral("%1 non vuole argomenti").arg(call.command);
    } else if (exporting || call.command == u"backup") {
        if (call.operands.size() > 1)
            return QStringLiteral("%1 vuole al più il file in cui scrivere").arg(call.command);
    } else if (call.command == u"labels") {
        if (call.operands.size() != 1)
            return QStringLiteral("labels vuole il file PDF da scrivere");
    } else if (call.command == u"envelope") {
        if (call.operands.size() != 2)
            return QStringLiteral("envelope vuole l'ID del contatto e il file PDF da scrivere");
    } else if (call.operands.size() != 1) {
        return QStringLiteral("%1 vuole un solo argomento").arg(call.command);
    }
    if ((call.restoreId || call.emptyTrash) && call.command != u"trash")
        return QStringLiteral("--restore e --empty valgono solo per trash");
    if (call.restoreId && call.emptyTrash)
        return QStringLiteral("trash vuole --restore oppure --empty, non entrambi");
    if ((call.scope || call.caseSensitive || !call.format.isEmpty()) && call.command != u"search")
        return QStringLiteral("--scope, --case e --format valgono solo per search");
    if (call.dryRun && !call.command.startsWith(u"import"))
        return QStringLiteral("--dry-run vale solo per i comandi che scrivono");
    if (call.update && call.command != u"import")
        return QStringLiteral("--update vale solo per import");
    const bool labels = call.command == u"labels";
    if ((call.vcard || call.exportRequest.csv || call.version) && !exporting)
        return QStringLiteral("--vcard, --csv e --version valgono solo per export");
    if (call.exportRequest.search && !exporting && !labels)
        return QStringLiteral("--search vale solo per export e labels");
    if ((call.sheetGiven || call.print.start) && !labels)
        return QStringLiteral("--sheet e --start valgono solo per labels");
    if ((call.print.c5 || call.print.sender) && call.command != u"envelope")
        return QStringLiteral("--c5 e --sender valgono solo per envelope");
    if (call.print.home && !labels && call.command != u"envelope")
        return QStringLiteral("--home vale solo per labels ed envelope");
    if (const QString misuse = printMisuse(call.command, call.print); !misuse.isEmpty())
        return misuse;
    if (exporting && call.vcard == call.exportRequest.csv)
        return QStringLiteral("export vuole --vcard oppure --csv");
    const AccountRequest &account = call.account;
    if ((!account.url.isEmpty() || !account.user.isEmpty() || account.interval || !account.trust.isEmpty()
            || account.remove)
        && call.command != u"account")
        return QStringLiteral("--url, --user, --interval, --trust e --remove valgono solo per account");
    if (account.passwordFromInput && call.command != u"account" && call.command != u"sync")
        return QStringLiteral("--password-stdin vale solo per account e sync");
    if (call.version && !call.vcard)
        return QStringLiteral("--version vale solo con --vcard");
    call.exportRequest.version4 = call.version == u"4.0";
    call.exportRequest.file = call.operands.value(0);
    call.print.search = call.exportRequest.search;
    return {};
}

int readFailure(QTextStream &err, const QString &reason)
{
    err << QStringLiteral("Impossibile leggere l'agenda: %1").arg(reason) << Qt::endl;
    return Failed;
}

// Opens the agenda. Reading never creates one: a missing file is said as such.
std::unique_ptr<ContactStore> openAgenda(
    const Invocation &call, const QString &programDir, bool mayCreate, QTextStream &err)
{
    QString path = call.store;
    if (path.isEmpty()) {
        const DataFileLocation location = locateDataFile(programDir, QStringLiteral("Rubrello.MDB"));
        if (location.path.isEmpty()) {
            err << location.error << Qt::endl;
            return nullptr;
        }
        path = location.path;
    }
    path = QFileInfo(path).absoluteFilePath();
    if (!mayCreate && !QFileInfo::exists(path)) {
        err << QStringLiteral("L'agenda \"%1\" non esiste ancora.").arg(path) << Qt::endl;
        return nullptr;
    }
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(
        path, &error, mayCreate ? ContactStore::Access::ReadWrite : ContactStore::Access::ReadOnly);
    if (!store)
        err << error << Qt::endl;
    return store;
}

int who(const ContactStore &store, const QString &number, CliStreams io)
{
    const std::string wanted = numberKey(number.toUtf8());
    if (wanted.empty()) {
        io.err << QStringLiteral("\"%1\" non contiene cifre.").arg(number) << Qt::endl;
        return Misused;
    }
    const NumberAnswer answer = findByNumber(store, wanted);
    if (!answer.failure.isEmpty())
        return readFailure(io.err, answer.failure);
    for (const NumberMatch &match : answer.matches)
        io.out << match.names.line() << QStringLiteral(" — ") << QLatin1String(match.label) << '\n';
    if (answer.matches.empty()) {
        io.err << QStringLiteral("Nessun contatto ha il numero %1.").arg(number) << Qt::endl;
        return NotFound;
    }
    return Done;
}

int search(const ContactStore &store, const Invocation &call, CliStreams io)
{
    const TextAnswer answer = findByText(
        store, call.operands.first(), !call.caseSensitive, call.scope.value_or(0), otherTextHitsIn(store));
    if (!answer.failure.isEmpty()) {
        io.err << QStringLiteral("Impossibile leggere i contatti per la ricerca: %1").arg(answer.failure)
               << Qt::endl;
        return Failed;
    }
    const auto text
        = [&answer](int row, Field field) { return answer.rows.value(row, field).value_or(QString()); };
    if (call.format == u"mutt") {
        // The mail client's address query: a status line, then address, name and a note per line.
        QStringList lines;
        for (const int row : answer.hits) {
            if (!text(row, Field::Internet).isEmpty())
                lines.append(text(row, Field::Internet) + u'\t'
                    + (text(row, Field::FirstName) + u' ' + text(row, Field::LastName)).trimmed() + u'\t'
                    + text(row, Field::Azienda));
        }
        io.out << (lines.size() == 1 ? QStringLiteral("Rubrello: 1 indirizzo trovato")
                                     : QStringLiteral("Rubrello: %1 indirizzi trovati").arg(lines.size()))
               << Qt::endl;
        for (const QString &line : lines)
            io.out << line << '\n';
        return lines.isEmpty() ? NotFound : Done;
    }
    for (const int row : answer.hits)
        io.out << nameLine(text(row, Field::LastName), text(row, Field::FirstName)) << '\n';
    if (answer.hits.empty()) {
        io.err << QStringLiteral("Nessun contatto trovato.") << Qt::endl;
        return NotFound;
    }
    return Done;
}

int show(ContactStore &store, const QString &idText, CliStreams io)
{
    bool number = false;
    const qint64 id = idText.toLongLong(&number);
    if (!number) {
        io.err << QStringLiteral("rubrello-cli: show vuole il numero (ID) di un contatto") << Qt::endl;
        return Misused;
    }
    bool ok = false;
    const std::optional<ContactRecord> contact = store.read(id, &ok);
    if (!ok) {
        return readFailure(io.err, store.lastError());
    }
    if (!contact) {
        io.err << QStringLiteral("Nessun contatto ha l'ID %1.").arg(id) << Qt::endl;
        return NotFound;
    }
    for (const QString &line : cardLines(*contact))
        io.out << line << Qt::endl;
    return Done;
}

int importFile(ContactStore &store, const QString &path, CliStreams io, bool dryRun)
{
    const ImportOutcome outcome = importFirstVersionFile(QFileInfo(path).absoluteFilePath(), store);
    const QString untouched = QStringLiteral("Prova: l'agenda non è stata modificata.");
    if (!outcome.ok()) {
        io.err << importFailureMessage(outcome) << Qt::endl;
        if (dryRun)
            io.err << untouched << Qt::endl;
        return Failed;
    }
    io.out << importSummaryMessage(outcome.added) << Qt::endl;
    if (dryRun)
        io.out << untouched << Qt::endl;
    else
        // The new contacts are looked up quickly from the next question on; should that fail, they
        // are still found, only more slowly, and the contacts themselves are written already.
        LookupBuilder::catchUp(store.path(), nullptr);
    return Done;
}

} // namespace

QString cliHelp()
{
    return QStringLiteral(
        "Uso: rubrello-cli [--store FILE] COMANDO [ARGOMENTO]\n"
        "\n"
        "Interroga l'agenda telefonica di Rubrello senza aprire la finestra.\n"
        "\n"
        "Comandi:\n"
        "  who NUMERO                  chi ha questo numero, scritto in qualsiasi forma\n"
        "                              (\"02 1234567\", \"+39 02 1234567\", \"0039 02/1234567\")\n"
        "  search TESTO                i contatti che contengono il testo, come Cerca nel programma\n"
        "                              (\"*\" elenca tutta l'agenda)\n"
        "    --scope 0..3              0 tutti i campi, 1 tutti tranne le note, 2 solo Lavoro,\n"
        "                              3 solo Casa\n"
        "    --case                    distingue MAIUSCOLE e minuscole\n"
        "    --format mutt             le righe che chiedono i programmi di posta\n"
        "  show ID                     la scheda del contatto\n"
        "  import FILE                 importa un file vCard (.vcf) o CSV, o il file di testo della\n"
        "                              prima versione; i contatti già presenti sono saltati\n"
        "    --update                  aggiorna invece i contatti già presenti\n"
        "    --dry-run                 legge il file e dice che cosa importerebbe, senza scrivere\n"
        "  import-first-version FILE   importa il file di testo della prima versione\n"
        "  export --vcard|--csv [FILE] esporta l'agenda (sullo standard output senza FILE)\n"
        "    --version 3.0|4.0         la versione vCard (3.0 se non detto)\n"
        "    --search TESTO            solo i contatti che la ricerca trova\n"
        "  undo                        annulla l'ultima modifica all'agenda (un salvataggio, una\n"
        "                              cancellazione, un'importazione intera)\n"
        "  redo                        ripete l'ultima modifica annullata\n"
        "  trash                       i contatti nel cestino: ID, data della cancellazione, nome\n"
        "    --restore ID              rimette nell'agenda il contatto che aveva quell'ID\n"
        "    --empty                   elimina definitivamente i contatti nel cestino\n"
        "  backup [FILE]               salva subito una copia di sicurezza dell'agenda, nel FILE o\n"
        "                              tra le copie automatiche (una al giorno, le ultime 7 e una\n"
        "                              per settimana delle ultime 4)\n"
        "  backups                     le copie automatiche, numerate dalla più recente\n"
        "  restore N                   rimette al posto dell'agenda la copia numero N, dopo averne\n"
        "                              salvato una dell'agenda com'è\n"
        "  duplicates                  i gruppi di contatti che potrebbero essere la stessa persona\n"
        "                              (stesso numero o e-mail, nome uguale o simile), uno per\n"
        "                              paragrafo: il motivo, poi ID e nome di ciascuno\n"
        "  account                     l'account CardDAV dell'agenda (rubrica, utente)\n"
        "    --url INDIRIZZO --user NOME\n"
        "                              imposta l'account: l'indirizzo del server o della rubrica\n"
        "    --password-stdin          legge la password dallo standard input e la tiene nel\n"
        "                              portachiavi del desktop\n"
        "    --interval MINUTI         sincronizza ogni tanti minuti mentre il programma è aperto\n"
        "    --trust IMPRONTA          accetta il certificato con questa impronta SHA-256\n"
        "    --remove                  toglie l'account (i contatti restano)\n"
        "  sync                        sincronizza l'agenda con la rubrica dell'account, nei due\n"
        "                              sensi; stato 0 solo se tutto è passato\n"
        "    --password-stdin          la password dallo standard input invece che dal portachiavi\n"
        "  labels FILE.pdf             le etichette degli indirizzi di lavoro di tutta l'agenda, in\n"
        "                              ordine, su fogli A4; i contatti senza via né città sono saltati\n"
        "    --sheet FOGLIO            il foglio di etichette: 3x8 (70 × 37 mm, se non detto),\n"
        "                              3x8-36, 3x7, 3x8-63, 3x6, 2x7, 2x8, 4x10, oppure\n"
        "                              custom:COLONNExRIGHE:LARGHEZZAxALTEZZA:SUPERIORE:SINISTRO:\n"
        "                              PASSO_ORIZZONTALE:PASSO_VERTICALE in mm\n"
        "    --start N                 comincia dall'etichetta N del primo foglio (già in parte usato)\n"
        "    --search TESTO            solo i contatti che la ricerca trova\n"
        "    --home                    gli indirizzi di casa invece di quelli di lavoro\n"
        "  envelope ID FILE.pdf        la busta DL (220 × 110 mm) per il contatto, l'indirizzo dove\n"
        "                              lo vuole la finestra delle buste\n"
        "    --c5                      una busta C5 (229 × 162 mm)\n"
        "    --home                    l'indirizzo di casa invece di quello di lavoro\n"
        "    --sender \"RIGA1|RIGA2\"    il mittente, in alto a sinistra\n"
        "\n"
        "Opzioni:\n"
        "  --store FILE                usa questa agenda invece di quella del programma\n"
        "  --help                      mostra questo aiuto\n"
        "\n"
        "Stato di uscita: 0 fatto, 1 nessun risultato o errore, 2 comando usato male.\n");
}

int runCli(const QStringList &arguments, const QString &programDir, CliStreams io)
{
    Invocation call;
    const QString misuse = parse(arguments, call);
    if (call.help && misuse.isEmpty()) {
        io.out << cliHelp();
        return Done;
    }
    if (!misuse.isEmpty()) {
        io.err << QStringLiteral("rubrello-cli: %1\nProvare \"rubrello-cli --help\".").arg(misuse)
               << Qt::endl;
        return Misused;
    }
    const QString operand = call.operands.value(0);
    if (call.command == u"import" && contactFileKind(operand, nullptr) == ContactFileKind::FirstVersion)
        call.command = QStringLiteral("import-first-version");
    if (call.dryRun && call.command == u"import-first-version") {
        // The file goes into an empty agenda of its own, which is thrown away.
        QTemporaryDir scratch;
        QString error;
        std::unique_ptr<ContactStore> trial
            = ContactStore::open(scratch.filePath(QStringLiteral("prova.MDB")), &error);
        if (!trial) {
            io.err << error << Qt::endl;
            return Failed;
        }
        return importFile(*trial, operand, io, true);
    }
    const bool writes = call.command.startsWith(u"import") || call.command == u"undo"
        || call.command == u"redo" || call.command == u"restore" || call.restoreId || call.emptyTrash
        || call.command == u"account" || call.command == u"sync";
    std::unique_ptr<ContactStore> store = openAgenda(call, programDir, writes, io.err);
    if (!store)
        return Failed;
    if (call.command == u"who")
        return who(*store, operand, io);
    if (call.command == u"search")
        return search(*store, call, io);
    if (call.command == u"show")
        return show(*store, operand, io);
    if (call.command == u"import")
        return importCommand(*store, operand, call.dryRun, call.update, io);
    if (call.command == u"export")
        return exportCommand(*store, call.exportRequest, io);
    if (call.command == u"undo" || call.command == u"redo")
        return undoCommand(*store, call.command == u"redo", io);
    if (call.command == u"trash")
        return trashCommand(*store, call.restoreId, call.emptyTrash, io);
    if (call.command == u"backup")
        return backupCommand(
            *store, operand.isEmpty() ? QString() : QFileInfo(operand).absoluteFilePath(), io);
    if (call.command == u"backups")
        return backupsCommand(*store, io);
    if (call.command == u"restore")
        return restoreCommand(*store, operand, io);
    if (call.command == u"duplicates")
        return duplicatesCommand(*store, io);
    if (call.command == u"account")
        return accountCommand(*store, call.account, io);
    if (call.command == u"sync")
        return syncCommand(*store, call.account.passwordFromInput, io);
    if (call.command == u"labels")
        return labelsCommand(*store, call.print, operand, io);
    if (call.command == u"envelope")
        return envelopeCommand(*store, call.print, operand, call.operands.value(1), io);
    return importFile(*store, operand, io, false);
}
