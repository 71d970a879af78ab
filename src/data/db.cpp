#include "data/db.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QHash>
#include <QSqlError>
#include <QSqlRecord>

namespace Db {

DbError ErrorFrom(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return DbError(error.text(), ok ? code : -1);
}

QString ConnectionName()
{
    return QStringLiteral("zentrik");
}

QSqlDatabase Connection()
{
    return QSqlDatabase::database(ConnectionName(), false);
}

QSqlQuery Run(const QString &sql, const QVariantList &params)
{
    QSqlDatabase db = Connection();
    if (!db.isOpen())
        throw DbError(QStringLiteral("数据库未打开。"));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw ErrorFrom(query.lastError());
    for (const QVariant &value : params)
        query.addBindValue(value);
    if (!query.exec())
        throw ErrorFrom(query.lastError());
    return query;
}

QVariant Scalar(const QString &sql, const QVariantList &params)
{
    QSqlQuery query = Run(sql, params);
    return query.next() ? query.value(0) : QVariant();
}

QString Quote(const QString &identifier)
{
    QString inner = identifier;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

qint64 InsertRow(const QString &table, const Row &values)
{
    QStringList columns;
    QStringList marks;
    QVariantList params;
    for (const auto &[column, value] : values) {
        columns << Quote(column);
        marks << QStringLiteral("?");
        params << value;
    }
    const QString sql =
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    return Run(sql, params).lastInsertId().toLongLong();
}

QString RowIdColumn()
{
    return QStringLiteral("rowid");
}

QString KeyColumn(const QString &table)
{
    static QHash<QString, QString> known; // file and table -> key column
    const QString id = FilePath() + QLatin1Char('\n') + table.toLower();
    if (const auto it = known.constFind(id); it != known.cend())
        return *it;
    QString key;
    QSqlQuery query =
        Run(QStringLiteral("select name, type from pragma_table_info(?) where pk = 1"), {table});
    if (query.next() &&
        query.value(1).toString().compare(QStringLiteral("integer"), Qt::CaseInsensitive) == 0)
        key = query.value(0).toString();
    if (!query.next())
        known.insert(id, key);
    else
        key.clear(); // a composite key is not a row identity
    return key;
}

QString Window(const QString &sql, int limit, int offset)
{
    return QStringLiteral("select * from (%1) limit %2 offset %3").arg(sql).arg(limit).arg(offset);
}

namespace {

void runOn(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw ErrorFrom(query.lastError());
}

} // namespace

void ConfigureConnection(QSqlDatabase &db)
{
    // WAL keeps readers and the writer apart. A Transaction's commit (a settled sale,
    // an import) is synced to the log before it returns, and with it everything written
    // before; a single statement outside one (a scan into the cart) is not waited for
    // and reaches the disk with the next synced commit or checkpoint, within seconds.
    // The log is copied into the file aside (CheckpointAside), never inside a commit,
    // so no commit stalls on it.
    runOn(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    runOn(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    runOn(db, QStringLiteral("PRAGMA wal_autocheckpoint=0"));
}

namespace {

// Binds a value as Qt's SQLite driver binds it on the program's connection, so a statement
// run aside sees the same values: numbers as numbers, bytes as a blob, the rest as text.
int bindValue(sqlite3_stmt *statement, int index, const QVariant &value)
{
    // A null text, blob or an invalid date or time is bound as null, as Qt binds it.
    bool null = value.isNull();
    switch (value.typeId()) {
    case QMetaType::QString:
        null = null || value.toString().isNull();
        break;
    case QMetaType::QByteArray:
        null = null || value.toByteArray().isNull();
        break;
    case QMetaType::QDate:
        null = null || !value.toDate().isValid();
        break;
    case QMetaType::QTime:
        null = null || !value.toTime().isValid();
        break;
    case QMetaType::QDateTime:
        null = null || !value.toDateTime().isValid();
        break;
    default:
        break;
    }
    if (null)
        return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, index, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    }
    default: {
        const QString text = value.toString();
        return sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * 2),
                                   SQLITE_TRANSIENT);
    }
    }
}

QVariant columnValue(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
                       sqlite3_column_bytes(statement, column)));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf16(
            static_cast<const char16_t *>(sqlite3_column_text16(statement, column)),
            sqlite3_column_bytes16(statement, column) / 2));
    default:
        return QVariant();
    }
}

} // namespace

QVariantList FirstRowAside(const QString &path, const QString &sql, const QVariantList &params,
                           const std::function<bool()> &stop)
{
    // A connection of the engine's own, opened and closed here: no Qt connection is shared
    // with the thread, and the progress handler belongs to the same engine as the handle.
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const auto fail = [&db, &rc] {
        const QString message =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int code = db ? sqlite3_errcode(db) : rc;
        sqlite3_close(db);
        return DbError(message, code);
    };
    if (rc != SQLITE_OK)
        throw fail();
    // Waits for a lock as long as Qt's driver does by default; the work is aside, so the
    // wait holds nobody up.
    sqlite3_busy_timeout(db, 5000);
    if (sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw fail();
    if (stop)
        sqlite3_progress_handler(
            db, 4000,
            [](void *asked) {
                return (*static_cast<const std::function<bool()> *>(asked))() ? 1 : 0;
            },
            const_cast<std::function<bool()> *>(&stop));
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * 2), &statement, nullptr) !=
        SQLITE_OK)
        throw fail();
    QVariantList row;
    for (int i = 0; i < params.size(); ++i)
        if (bindValue(statement, i + 1, params[i]) != SQLITE_OK) {
            sqlite3_finalize(statement);
            throw fail();
        }
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(statement); ++i)
            row << columnValue(statement, i);
    sqlite3_finalize(statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw fail();
    sqlite3_close(db);
    return row;
}

void CheckpointAside(const QString &path)
{
    FirstRowAside(path, QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"), {});
}

int UserVersion()
{
    return Scalar(QStringLiteral("PRAGMA user_version")).toInt();
}

void SetUserVersion(int version)
{
    // PRAGMA takes no bound parameters; the version is the program's own integer.
    Run(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

int TableCount()
{
    return Scalar(QStringLiteral("select count(*) from sqlite_master where type='table'")).toInt();
}

bool HasColumn(const QString &table, const QString &column)
{
    QSqlQuery query = Run(QStringLiteral("select name from pragma_table_info(?)"), {table});
    while (query.next())
        if (query.value(0).toString().compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString FilePath()
{
    return Connection().databaseName();
}

namespace {
int transactionDepth = 0;

QString savepointName(int level)
{
    return QStringLiteral("zentrik_%1").arg(level);
}
} // namespace

bool InTransaction()
{
    return transactionDepth > 0;
}

Transaction::Transaction() : m_level(transactionDepth)
{
    if (m_level == 0) {
        Run(QStringLiteral("PRAGMA synchronous=FULL"));
        if (!Connection().transaction()) {
            const DbError error = ErrorFrom(Connection().lastError());
            QSqlQuery(Connection()).exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
            throw error;
        }
    } else {
        Run(QStringLiteral("SAVEPOINT %1").arg(savepointName(m_level)));
    }
    ++transactionDepth;
}

Transaction::~Transaction()
{
    --transactionDepth;
    if (m_done)
        return;
    if (m_level == 0) {
        Connection().rollback();
        QSqlQuery(Connection()).exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        return;
    }
    try {
        Run(QStringLiteral("ROLLBACK TO %1").arg(savepointName(m_level)));
        Run(QStringLiteral("RELEASE %1").arg(savepointName(m_level)));
    } catch (const DbError &) {
        // The outer transaction's rollback undoes these statements as well.
    }
}

void Transaction::Commit()
{
    if (m_level == 0) {
        if (!Connection().commit())
            throw ErrorFrom(Connection().lastError());
        m_done = true;
        // The commit is stored: a failure to relax the setting must not report it lost.
        QSqlQuery(Connection()).exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        return;
    } else {
        Run(QStringLiteral("RELEASE %1").arg(savepointName(m_level)));
    }
    m_done = true;
}

} // namespace Db
