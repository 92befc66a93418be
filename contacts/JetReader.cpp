#include "contacts/JetReader.h"

#include "platform/DataLocation.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

// mdbtools.h includes glib and iconv inside its extern "C" block, which C++ headers do not survive:
// include them first so its own includes find them already seen.
#include <glib.h>
#include <iconv.h>
#include <mdbtools.h>

#include <cstring>

namespace {

// libmdb turns a text into the target code page into a buffer of its bind size and cuts what does not
// fit; a memo can be far longer than the default, so the buffer grows until the text fits whole.
constexpr size_t LargestText = size_t(256) * 1024 * 1024;

// The low bits of a row's entry in a data page's offset table; the high ones are flags.
constexpr int RowOffsetMask = 0x1fff;

JetColumnKind columnKind(int type)
{
    switch (type) {
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return JetColumnKind::Integer;
    case MDB_TEXT:
        return JetColumnKind::Text;
    case MDB_MEMO:
        return JetColumnKind::Memo;
    default:
        return JetColumnKind::Other;
    }
}

QString typeName(int type)
{
    switch (type) {
    case MDB_BOOL:
        return QStringLiteral("Sì/No");
    case MDB_BYTE:
        return QStringLiteral("Byte");
    case MDB_INT:
        return QStringLiteral("Intero");
    case MDB_LONGINT:
        return QStringLiteral("Intero lungo");
    case MDB_MONEY:
        return QStringLiteral("Valuta");
    case MDB_FLOAT:
        return QStringLiteral("Precisione singola");
    case MDB_DOUBLE:
        return QStringLiteral("Precisione doppia");
    case MDB_DATETIME:
        return QStringLiteral("Data/ora");
    case MDB_BINARY:
        return QStringLiteral("Binario");
    case MDB_TEXT:
        return QStringLiteral("Testo");
    case MDB_OLE:
        return QStringLiteral("Oggetto OLE");
    case MDB_MEMO:
        return QStringLiteral("Memo");
    case MDB_REPID:
        return QStringLiteral("ID replica");
    case MDB_NUMERIC:
        return QStringLiteral("Decimale");
    default:
        return QStringLiteral("tipo %1").arg(type);
    }
}

bool isBinary(int type)
{
    return type == MDB_OLE || type == MDB_BINARY || type == MDB_COMPLEX;
}

MdbColumn *columnAt(MdbTableDef *table, unsigned int index)
{
    return static_cast<MdbColumn *>(g_ptr_array_index(table->columns, index));
}

struct TableDefDeleter
{
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};
using TableDef = std::unique_ptr<MdbTableDef, TableDefDeleter>;

const QString Damaged = QStringLiteral("il file è danneggiato");

} // namespace

struct JetDatabase::Handle
{
    MdbHandle *mdb = nullptr;
    std::vector<MdbCatalogEntry *> tables;

    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }

    MdbCatalogEntry *entry(const QString &name) const
    {
        for (MdbCatalogEntry *table : tables) {
            if (QString::fromUtf8(table->object_name).compare(name, Qt::CaseInsensitive) == 0)
                return table;
        }
        return nullptr;
    }

    TableDef readTable(const QString &name, QString *error) const
    {
        MdbCatalogEntry *found = entry(name);
        if (!found) {
            *error = QStringLiteral("la tabella %1 non c'è").arg(name);
            return nullptr;
        }
        TableDef table(mdb_read_table(found));
        if (!table || !mdb_read_columns(table.get())) {
            *error = QStringLiteral("la definizione della tabella %1 non è leggibile: ").arg(name) + Damaged;
            return nullptr;
        }
        return table;
    }

    std::optional<QString> text(const MdbField &field, int type) const
    {
        const size_t usualSize = mdb->bind_size;
        size_t size = usualSize;
        std::optional<QString> result;
        while (!result && size <= LargestText) {
            mdb_set_bind_size(mdb, size);
            char *converted = mdb_col_to_string(mdb, mdb->pg_buf, field.start, type, field.siz);
            const size_t length = converted ? std::strlen(converted) : 0;
            // iconv stops short of the end by up to one encoded character when the buffer is full.
            if (length + 4 < size)
                result = QString::fromUtf8(converted, qsizetype(length));
            g_free(converted);
            size *= 4;
        }
        mdb_set_bind_size(mdb, usualSize);
        return result;
    }

    std::optional<FieldValue> value(MdbColumn *column, const MdbField &field) const
    {
        if (column->col_type == MDB_BOOL) // a yes/no value lives in the row's null mask
            return QString::fromLatin1(field.is_null ? "0" : "1");
        if (field.is_null || isBinary(column->col_type))
            return FieldValue();
        if (column->col_type == MDB_TEXT || column->col_type == MDB_MEMO) {
            std::optional<QString> decoded = text(field, column->col_type);
            if (!decoded)
                return std::nullopt;
            return FieldValue(*decoded);
        }
        char *converted = column->col_type == MDB_NUMERIC
            ? mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec)
            : mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz);
        FieldValue result = QString::fromUtf8(converted ? converted : "");
        g_free(converted);
        return result;
    }
};

JetDatabase::JetDatabase(std::unique_ptr<Handle> handle)
    : m_handle(std::move(handle))
{
}

JetDatabase::~JetDatabase() = default;

std::unique_ptr<JetDatabase> JetDatabase::open(const QString &path, QString *error)
{
    const QString unreadable
        = QStringLiteral("il file non è leggibile come database di Microsoft Access: "
                         "è danneggiato, cifrato oppure di una versione non riconosciuta");
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("il file non esiste");
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!handle->mdb) {
        *error = unreadable;
        return nullptr;
    }
    // libmdb converts to the code set named by MDBICONV when that is set; every text here is read as UTF-8.
    if (qstricmp(mdb_target_charset(handle->mdb), "UTF-8") != 0) {
        *error
            = QStringLiteral("la variabile d'ambiente MDBICONV chiede i testi nella codifica %1 invece che "
                             "in UTF-8")
                  .arg(QString::fromLatin1(mdb_target_charset(handle->mdb)));
        return nullptr;
    }
    if (!mdb_read_catalog(handle->mdb, MDB_TABLE)) {
        *error = unreadable;
        return nullptr;
    }
    for (unsigned int i = 0; i < handle->mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(handle->mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            handle->tables.push_back(entry);
    }
    return std::unique_ptr<JetDatabase>(new JetDatabase(std::move(handle)));
}

JetVersion JetDatabase::version() const
{
    switch (m_handle->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return JetVersion::Jet3;
    case MDB_VER_JET4:
        return JetVersion::Jet4;
    default:
        return JetVersion::Ace;
    }
}

QStringList JetDatabase::tableNames() const
{
    QStringList names;
    for (MdbCatalogEntry *table : m_handle->tables)
        names.append(QString::fromUtf8(table->object_name));
    return names;
}

QString JetDatabase::findTable(const QString &name) const
{
    MdbCatalogEntry *entry = m_handle->entry(name);
    return entry ? QString::fromUtf8(entry->object_name) : QString();
}

std::optional<std::vector<JetColumn>> JetDatabase::columns(const QString &table, QString *error) const
{
    TableDef def = m_handle->readTable(table, error);
    if (!def)
        return std::nullopt;
    std::vector<JetColumn> result;
    for (unsigned int i = 0; i < def->num_cols; ++i) {
        MdbColumn *column = columnAt(def.get(), i);
        result.push_back(
            {QString::fromUtf8(column->name), columnKind(column->col_type), typeName(column->col_type)});
    }
    return result;
}

qint64 JetDatabase::declaredRowCount(const QString &table, QString *error) const
{
    TableDef def = m_handle->readTable(table, error);
    return def ? qint64(def->num_rows) : -1;
}

bool JetDatabase::readRows(const QString &table, const RowSink &take, QString *error) const
{
    TableDef def = m_handle->readTable(table, error);
    if (!def)
        return false;
    MdbHandle *mdb = m_handle->mdb;
    mdb_rewind_table(def.get());
    std::vector<MdbField> fields(MDB_MAX_COLS);
    qint64 read = 0;
    while (mdb_fetch_row(def.get())) {
        // The fetched row is still in the page buffer: crack it again for its Null flags, which
        // libmdb's bound values do not keep apart from empty texts.
        int start = 0;
        size_t length = 0;
        if (def->cur_row == 0 || mdb_find_row(mdb, int(def->cur_row) - 1, &start, &length) != 0
            || mdb_crack_row(def.get(), start & RowOffsetMask, length, fields.data()) != int(def->num_cols)) {
            *error = QStringLiteral("la riga %1 della tabella %2 non è leggibile: ").arg(read + 1).arg(table)
                + Damaged;
            return false;
        }
        QList<FieldValue> row;
        for (unsigned int i = 0; i < def->num_cols; ++i) {
            const MdbField &field = fields[i];
            std::optional<FieldValue> value
                = m_handle->value(columnAt(def.get(), unsigned(field.colnum)), field);
            if (!value) {
                *error = QStringLiteral(
                    "un testo della riga %1 della tabella %2 è più lungo di quanto si possa leggere")
                             .arg(read + 1)
                             .arg(table);
                return false;
            }
            row.append(*value);
        }
        ++read;
        if (!take(row))
            return false;
    }
    if (read != qint64(def->num_rows)) {
        *error
            = QStringLiteral("della tabella %1 si sono potute leggere solo %2 delle %3 righe che contiene: ")
                  .arg(table)
                  .arg(read)
                  .arg(def->num_rows)
            + Damaged;
        return false;
    }
    return true;
}

std::optional<PhoneListColumns> mapPhoneListColumns(const std::vector<JetColumn> &columns, QString *problem)
{
    PhoneListColumns map;
    map.fill(-1);
    QStringList missing;
    QStringList wrongKind;
    QStringList unknown;
    QSet<int> used;
    for (const FieldInfo &info : Fields) {
        const QString name = QString::fromLatin1(info.name);
        for (size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) {
                map[fieldIndex(info.field)] = int(i);
                used.insert(int(i));
                break;
            }
        }
        const int column = map[fieldIndex(info.field)];
        if (column < 0) {
            missing.append(name);
            continue;
        }
        const JetColumn &found = columns[size_t(column)];
        const bool fits = info.field == Field::ID
            ? found.kind == JetColumnKind::Integer
            : found.kind == JetColumnKind::Text || found.kind == JetColumnKind::Memo;
        if (!fits)
            wrongKind.append(QStringLiteral("%1 (%2)").arg(found.name, found.typeName));
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        if (!used.contains(int(i)))
            unknown.append(columns[i].name);
    }

    QStringList problems;
    if (!missing.isEmpty())
        problems.append(QStringLiteral("mancano i campi ") + missing.join(QStringLiteral(", ")));
    if (!wrongKind.isEmpty())
        problems.append(QStringLiteral("sono di un tipo diverso da quello previsto (l'ID un numero intero, "
                                       "gli altri testo o memo) i campi ")
            + wrongKind.join(QStringLiteral(", ")));
    if (!unknown.isEmpty())
        problems.append(QStringLiteral("ci sono campi che Rubrello non conosce e che andrebbero persi: ")
            + unknown.join(QStringLiteral(", ")));
    if (!problems.isEmpty()) {
        *problem = problems.join(QStringLiteral("; "));
        return std::nullopt;
    }
    return map;
}

std::optional<ContactRecord> phoneListRecord(const QList<FieldValue> &row, const PhoneListColumns &columns)
{
    ContactRecord record;
    for (const FieldInfo &info : Fields) {
        const int column = columns[fieldIndex(info.field)];
        if (column < 0 || column >= row.size())
            return std::nullopt;
        const FieldValue &value = row[column];
        if (info.field != Field::ID) {
            record.setValue(info.field, value);
            continue;
        }
        bool isNumber = false;
        record.id = value ? value->toLongLong(&isNumber) : 0;
        if (!isNumber || record.id <= 0)
            return std::nullopt;
    }
    return record;
}

namespace {

class JetPhoneListReader : public PhoneListReader
{
public:
    JetPhoneListReader(QString shownPath, std::unique_ptr<JetDatabase> database, QString table,
        PhoneListColumns columns, qint64 rows)
        : m_shownPath(std::move(shownPath))
        , m_database(std::move(database))
        , m_table(std::move(table))
        , m_columns(columns)
        , m_rows(rows)
    {
    }

    qint64 rowCount() const override { return m_rows; }

    bool readRows(const RecordSink &take, QString *error) override
    {
        QString reason;
        bool badId = false;
        qint64 rowNumber = 0;
        const bool ok = m_database->readRows(
            m_table,
            [&](const QList<FieldValue> &row) {
                ++rowNumber;
                std::optional<ContactRecord> record = phoneListRecord(row, m_columns);
                if (!record) {
                    badId = true;
                    return false;
                }
                return take(*record);
            },
            &reason);
        if (ok)
            return true;
        if (badId)
            reason = QStringLiteral("il contatto della riga %1 non ha un ID valido").arg(rowNumber);
        if (!reason.isEmpty())
            *error = QStringLiteral("La lettura dei contatti dal file \"%1\" non è riuscita: %2.")
                         .arg(m_shownPath, reason);
        return false;
    }

private:
    QString m_shownPath;
    std::unique_ptr<JetDatabase> m_database;
    QString m_table;
    PhoneListColumns m_columns;
    qint64 m_rows;
};

} // namespace

std::unique_ptr<PhoneListReader> openJetPhoneList(const QString &path, QString *error)
{
    const QString shown = shownPath(path);
    const QString untouched = QStringLiteral(" Il file non è stato modificato.");
    QString reason;
    std::unique_ptr<JetDatabase> database = JetDatabase::open(path, &reason);
    if (!database) {
        *error = QStringLiteral("Il file \"%1\" non può essere letto: %2.").arg(shown, reason) + untouched;
        return nullptr;
    }
    const QStringList tables = database->tableNames();
    if (tables.isEmpty()) {
        *error = QStringLiteral("Nel database di Microsoft Access \"%1\" non si trova nessuna tabella: "
                                "il file è danneggiato oppure vuoto.")
                     .arg(shown)
            + untouched;
        return nullptr;
    }
    const QString table = database->findTable(QStringLiteral("PhoneList"));
    if (table.isEmpty()) {
        *error = QStringLiteral("Il database di Microsoft Access \"%1\" non contiene la tabella dei contatti "
                                "PhoneList, quindi non è un archivio di Rubrello (contiene le tabelle: %2).")
                     .arg(shown, tables.join(QStringLiteral(", ")))
            + untouched;
        return nullptr;
    }
    std::optional<std::vector<JetColumn>> columns = database->columns(table, &reason);
    const qint64 rows = columns ? database->declaredRowCount(table, &reason) : -1;
    if (rows < 0) {
        *error = QStringLiteral("La tabella PhoneList del file \"%1\" non può essere letta: %2.")
                     .arg(shown, reason)
            + untouched;
        return nullptr;
    }
    std::optional<PhoneListColumns> map = mapPhoneListColumns(*columns, &reason);
    if (!map) {
        *error = QStringLiteral(
                     "La tabella PhoneList del file \"%1\" non ha i campi di un archivio di Rubrello: %2.")
                     .arg(shown, reason)
            + untouched;
        return nullptr;
    }
    return std::make_unique<JetPhoneListReader>(shown, std::move(database), table, *map, rows);
}
