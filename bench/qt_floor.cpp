// What Qt itself costs for the start-up: open the same store, read the names in order and show them
// under their letters in a plain tree, then quit. "model" puts a small model of plain lists behind a
// QTreeView; "widget" makes one QTreeWidgetItem per name. "peer" is what a lean contact manager of
// its own would do: the names read through SQLite's own interface, one text per contact, sorted
// in memory without regard to case, shown under their letters by the same small model.
#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeView>
#include <QTreeWidget>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>

#include <array>
#include <cstdio>
#include <vector>

namespace {

// Letters as top rows, names as their children; a child's internal id is its letter plus one.
class LetterModel : public QAbstractItemModel
{
public:
    std::array<std::vector<QString>, 26> names;

    QModelIndex index(int row, int column, const QModelIndex &parent) const override
    {
        return createIndex(row, column, parent.isValid() ? quintptr(parent.row() + 1) : quintptr(0));
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        return child.internalId() == 0 ? QModelIndex()
                                       : createIndex(int(child.internalId() - 1), 0, quintptr(0));
    }
    int rowCount(const QModelIndex &parent) const override
    {
        if (!parent.isValid())
            return 26;
        return parent.internalId() == 0 ? int(names[size_t(parent.row())].size()) : 0;
    }
    int columnCount(const QModelIndex &) const override { return 1; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (index.internalId() == 0)
            return QString(QChar(u'A' + index.row()));
        return names[index.internalId() - 1][size_t(index.row())];
    }
};

int letterOf(const QString &lastName)
{
    const QChar c = lastName.isEmpty() ? QChar() : lastName.front().toUpper();
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z') ? c.unicode() - u'A' : -1;
}

// Shows the tree and reports the time since the start, the rows shown and the peak memory.
int showAndReport(QWidget &shown, const QElapsedTimer &timer, int rows)
{
    shown.show();
    QCoreApplication::processEvents();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("{\"in_process_ms\":%.3f,\"rows\":%d,\"maxrss_kib\":%ld}\n",
        static_cast<double>(timer.nsecsElapsed()) / 1e6, rows, usage.ru_maxrss);
    return 0;
}

// The lines "LastName, FirstName" of every contact, read with SQLite's C interface.
std::vector<QString> readLines(const char *path)
{
    std::vector<QString> lines;
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, "SELECT LastName, FirstName FROM PhoneList", -1, &statement, nullptr)
            == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto *last = static_cast<const char16_t *>(sqlite3_column_text16(statement, 0));
            const qsizetype lastSize = sqlite3_column_bytes16(statement, 0) / 2;
            const auto *first = static_cast<const char16_t *>(sqlite3_column_text16(statement, 1));
            const qsizetype firstSize = sqlite3_column_bytes16(statement, 1) / 2;
            QString line(lastSize + 2 + firstSize, Qt::Uninitialized);
            std::copy_n(last, lastSize, line.data());
            line[lastSize] = QLatin1Char(',');
            line[lastSize + 1] = QLatin1Char(' ');
            std::copy_n(first, firstSize, line.data() + lastSize + 2);
            lines.push_back(std::move(line));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return lines;
}

int peer(const char *path, const QElapsedTimer &timer)
{
    std::vector<QString> lines = readLines(path);
    std::sort(lines.begin(), lines.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    LetterModel model;
    int rows = 0;
    for (QString &line : lines) {
        const int letter = letterOf(line);
        if (letter < 0)
            continue;
        model.names[size_t(letter)].push_back(std::move(line));
        ++rows;
    }
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&model);
    return showAndReport(view, timer, rows);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: qt_floor model|widget|peer STORE\n");
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    if (qstrcmp(argv[1], "peer") == 0)
        return peer(argv[2], timer);
    const bool widget = qstrcmp(argv[1], "widget") == 0;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QString::fromLocal8Bit(argv[2]));
    if (!db.open())
        return 2;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT ID, LastName, FirstName FROM PhoneList ORDER BY LastName, FirstName")))
        return 2;

    LetterModel model;
    QTreeView view;
    QTreeWidget tree;
    std::array<QList<QTreeWidgetItem *>, 26> items;
    int rows = 0;
    while (query.next()) {
        const QString last = query.value(1).toString();
        const int letter = letterOf(last);
        if (letter < 0)
            continue;
        const QString line = last + QStringLiteral(", ") + query.value(2).toString();
        if (widget)
            items[size_t(letter)].append(new QTreeWidgetItem(QStringList{line}));
        else
            model.names[size_t(letter)].push_back(line);
        ++rows;
    }
    QWidget *shown = nullptr;
    if (widget) {
        for (int letter = 0; letter < 26; ++letter) {
            auto *top = new QTreeWidgetItem(QStringList{QString(QChar(u'A' + letter))});
            top->addChildren(items[size_t(letter)]);
            tree.addTopLevelItem(top);
        }
        shown = &tree;
    } else {
        view.setUniformRowHeights(true);
        view.setModel(&model);
        shown = &view;
    }
    return showAndReport(*shown, timer, rows);
}
