#include "data/backup.h"

#include "data/dm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QTemporaryFile>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>

namespace Backup {
namespace {

// One connection of the sqlite3 library, closed when it goes out of scope. Closing the
// last connection of a database folds its write-ahead log back into the file.
class Connection
{
public:
    Connection(const QString &path, int flags)
    {
        m_rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
        if (m_db)
            sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool IsOpen() const { return m_rc == SQLITE_OK; }
    sqlite3 *Handle() const { return m_db; }
    QString Error() const
    {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                    : QString::fromUtf8(sqlite3_errstr(m_rc));
    }

    // The first column of every row of `sql`; false on an engine error.
    bool Column(const char *sql, QStringList *values) const
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return false;
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            *values << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3 *m_db = nullptr;
    int m_rc = SQLITE_OK;
};

// Copies the database `from` page by page into the empty file `to` through SQLite's
// online backup, which reads the write-ahead log as well. The copy keeps its journal in
// the ordinary way, so it is one self-contained file. Returns the error, or empty.
QString copyDatabase(const QString &from, int fromFlags, const QString &to)
{
    const Connection source(from, fromFlags);
    if (!source.IsOpen())
        return source.Error();
    const Connection target(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!target.IsOpen())
        return target.Error();
    sqlite3_backup *backup = sqlite3_backup_init(target.Handle(), "main", source.Handle(), "main");
    if (!backup)
        return target.Error();
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return QString::fromUtf8(sqlite3_errstr(rc));
    QStringList mode;
    if (!target.Column("PRAGMA journal_mode=DELETE", &mode))
        return target.Error();
    return QString();
}

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

// Moves the finished file `from` onto `to` in one rename. Journal files left beside
// `to` belong to the file being replaced and would be replayed onto the new one, so
// they go first. Returns the error, or empty.
QString replaceFile(const QString &from, const QString &to)
{
    for (const char *suffix : {"-wal", "-shm", "-journal"}) {
        const QString journal = to + QLatin1String(suffix);
        if (QFileInfo::exists(journal) && !QFile::remove(journal))
            return QStringLiteral("无法删除旧的日志文件：") + QDir::toNativeSeparators(journal);
    }
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    if (error)
        return QStringLiteral("无法写入：") + QDir::toNativeSeparators(to) + QLatin1Char('\n') +
               QString::fromLocal8Bit(error.message());
    return QString();
}

// A file beside `path` that a copy is written into before it replaces `path`.
class PartFile
{
public:
    explicit PartFile(const QString &path)
        : m_file(QFileInfo(path).absoluteDir().filePath(QFileInfo(path).fileName() +
                                                        QStringLiteral(".XXXXXX.part")))
    {
        m_ok = m_file.open();
        m_file.close(); // keeps the name; SQLite writes the file itself
    }
    bool Ok() const { return m_ok; }
    QString Path() const { return m_file.fileName(); }
    QString Error() const
    {
        return QStringLiteral("无法写入文件夹：") +
               QDir::toNativeSeparators(QFileInfo(m_file.fileTemplate()).absolutePath());
    }
    // The file has been renamed into place: nothing is left to remove.
    void Keep() { m_file.setAutoRemove(false); }

private:
    QTemporaryFile m_file;
    bool m_ok = false;
};

QString copyInto(const QString &from, int fromFlags, const QString &to)
{
    PartFile part(to);
    if (!part.Ok())
        return part.Error();
    QString error = copyDatabase(from, fromFlags, part.Path());
    if (error.isEmpty())
        error = replaceFile(part.Path(), to);
    if (error.isEmpty())
        part.Keep();
    return error;
}

} // namespace

QString DefaultBackupPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("D:\\beifen.db");
#else
    return QDir::home().filePath(QStringLiteral("beifen.db"));
#endif
}

QString DefaultRestoreSource()
{
    return QStringLiteral("beifen.db");
}

QString BackupTarget(const QString &path, const QString &database)
{
    if (QFileInfo(path).isDir())
        return QDir(path).filePath(QFileInfo(database).fileName());
    return path;
}

QString KeptCopyPath(const QString &database)
{
    return database + QStringLiteral(".bak");
}

Result WriteBackup(const QString &database, const QString &target)
{
    if (!QFileInfo(database).isFile())
        return {false, QStringLiteral("找不到数据库文件：") + QDir::toNativeSeparators(database)};
    if (QFileInfo(target).canonicalFilePath() == QFileInfo(database).canonicalFilePath())
        return {false, QStringLiteral("备份文件不能是正在使用的数据库。")};
    const QString error = copyInto(database, SQLITE_OPEN_READWRITE, target);
    return {error.isEmpty(), error};
}

bool IsValidBackup(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    const Connection db(path, SQLITE_OPEN_READONLY);
    QStringList check;
    if (!db.IsOpen() || !db.Column("PRAGMA quick_check", &check) ||
        check != QStringList{QStringLiteral("ok")})
        return false;
    QStringList tables;
    if (!db.Column("select lower(name) from sqlite_master where type='table'", &tables))
        return false;
    const QSet<QString> present(tables.cbegin(), tables.cend());
    for (const char *table : {"sp", "data", "data1", "data3", "userdb", "rz"})
        if (!present.contains(QLatin1String(table)))
            return false;
    QStringList version;
    if (!db.Column("PRAGMA user_version", &version) || version.isEmpty())
        return false;
    const int schema = version.first().toInt();
    return schema >= 1 && schema <= Tdmfm::SchemaVersion();
}

Result Restore(const QString &source, const QString &database)
{
    // The incoming copy is complete before anything of the current database is touched.
    PartFile incoming(database);
    if (!incoming.Ok())
        return {false, incoming.Error()};
    QString error = copyDatabase(source, SQLITE_OPEN_READONLY, incoming.Path());
    if (!error.isEmpty())
        return {false, error};

    if (QFileInfo::exists(database)) {
        const QString kept = KeptCopyPath(database);
        error = copyInto(database, SQLITE_OPEN_READWRITE, kept);
        if (!error.isEmpty()) {
            // A damaged database may not read as one; its bytes are kept as they are.
            PartFile raw(kept);
            if (!raw.Ok() || !QFile::remove(raw.Path()) || !QFile::copy(database, raw.Path()))
                return {false, QStringLiteral("无法保留当前数据库：") +
                                   QDir::toNativeSeparators(kept) + QLatin1Char('\n') + error};
            error = replaceFile(raw.Path(), kept);
            if (!error.isEmpty())
                return {false, error};
            raw.Keep();
        }
    }

    error = replaceFile(incoming.Path(), database);
    if (!error.isEmpty())
        return {false, error};
    incoming.Keep();
    return {true, QString()};
}

} // namespace Backup
