#include "data/db.h"

#include <QSqlError>

namespace Db {

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
        throw DbError(query.lastError().text());
    for (const QVariant &value : params)
        query.addBindValue(value);
    if (!query.exec())
        throw DbError(query.lastError().text());
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

Transaction::Transaction()
{
    if (!Connection().transaction())
        throw DbError(Connection().lastError().text());
}

Transaction::~Transaction()
{
    if (!m_done)
        Connection().rollback();
}

void Transaction::Commit()
{
    if (!Connection().commit())
        throw DbError(Connection().lastError().text());
    m_done = true;
}

} // namespace Db
