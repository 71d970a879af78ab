#pragma once
// Low-level access to the one database connection: statements with bound values that
// throw on engine errors, a transaction guard, and the few engine-specific constructs.

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <stdexcept>

// An engine error: the action that raised it ends and the application shows the
// engine's message. An open Transaction is rolled back while the exception unwinds.
class DbError : public std::runtime_error
{
public:
    // `code` is the engine's result code when the engine raised the error, else -1.
    explicit DbError(const QString &message, int code = -1)
        : std::runtime_error(message.toStdString()), m_message(message), m_code(code)
    {
    }
    QString Message() const { return m_message; }
    int Code() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

namespace Db {

// The error an engine failure reported through Qt becomes (message and result code).
DbError ErrorFrom(const QSqlError &error);

// Name of the program's connection in QSqlDatabase's registry.
QString ConnectionName();
QSqlDatabase Connection();

// Prepares and executes `sql` with `params` bound in order; throws DbError on failure.
QSqlQuery Run(const QString &sql, const QVariantList &params = {});
// First column of the first row, or an invalid QVariant when there is no row.
QVariant Scalar(const QString &sql, const QVariantList &params = {});

// A column name as a standard quoted identifier: 2 -> "2", 商品编码 -> "商品编码".
QString Quote(const QString &identifier);

using Row = QList<QPair<QString, QVariant>>;
// Inserts one row and returns its new row id.
qint64 InsertRow(const QString &table, const Row &values);

// The engine's own row identity, for the table that has no key column of its own.
QString RowIdColumn();
// The table's integer key column, or empty when it has none (read from the engine's
// catalogue once per table and connection).
QString KeyColumn(const QString &table);
// `sql` limited to `limit` rows from row `offset` on.
QString Window(const QString &sql, int limit, int offset);

// Settings every connection to the file gets: write-ahead log, full sync of every
// commit. Checkpoints are left to CheckpointAside(), so that no commit pays for one.
void ConfigureConnection(QSqlDatabase &db);
// Copies the write-ahead log into the database file on a connection of its own,
// without blocking the program's writer. Safe from any thread.
void CheckpointAside(const QString &path);
// Schema version stored in the file (0 for a new file).
int UserVersion();
void SetUserVersion(int version);
// Number of tables in the file.
int TableCount();
// Whether the table has a column of that name (Latin case ignored).
bool HasColumn(const QString &table, const QString &column);
// File of the program's connection.
QString FilePath();

// Runs `sql` on a connection of its own to the file at `path` and returns its first
// row (empty when none). For work done aside from the program's thread; throws DbError.
// `stop`, when given, is asked while the statement runs: work that is no longer wanted ends
// early, with a DbError.
QVariantList FirstRowAside(const QString &path, const QString &sql, const QVariantList &params,
                           const std::function<bool()> &stop = {});

// All statements between construction and Commit() are stored together or not at all:
// the destructor rolls back a transaction that was not committed. Transactions nest: an
// inner one is a savepoint, whose rollback undoes its own statements only and whose
// commit lets the outer one decide.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void Commit();

private:
    bool m_done = false;
    int m_level = 0; // 0 outermost
};
// Whether a Transaction is open on the program's connection.
bool InTransaction();

} // namespace Db
