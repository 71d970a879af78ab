#include "data/mylib.h"

#include "data/dataset.h"
#include "data/db.h"

QString TrimControl(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

void ReopenQuery(Dataset &query, const QString &sql, const QVariantList &params)
{
    query.Open(sql, params);
}

void ExecuteStatement(Dataset &query, const QString &sql, const QVariantList &params)
{
    query.Execute(sql, params);
}

void OpenDistinctQuery(Dataset &query, const QString &field, const QString &table)
{
    // Field and table names are the program's own identifiers, quoted all the same.
    ReopenQuery(query, QStringLiteral("select %1 from %2 group by %1 order by %1")
                           .arg(Db::Quote(field), Db::Quote(table)));
}

QStringList DistinctValues(Dataset &query, const QString &field, const QString &table)
{
    OpenDistinctQuery(query, field, table);
    QStringList values;
    for (int row = 0; row < query.RecordCount(); ++row) {
        const QVariant value = query.Value(row, 0);
        if (!value.isNull())
            values << value.toString();
    }
    return values;
}
