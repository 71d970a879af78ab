#include "data/textindex.h"

#include "data/db.h"

#include <QStringList>

namespace {

// An indexed table: its index, the column that identifies a row, and the text columns
// the index holds (the columns its windows filter by substring).
struct Indexed
{
    const char16_t *table;
    const char16_t *index;
    const char16_t *key;
    QStringList columns;
};

const QList<Indexed> &indexes()
{
    static const QList<Indexed> list = {
        {u"sp",
         u"sp_text",
         u"rowid",
         {QStringLiteral("商品编码"), QStringLiteral("商品类别"), QStringLiteral("商品名称"),
          QStringLiteral("规格型号"), QStringLiteral("供货商")}},
        {u"data1",
         u"data1_text",
         u"ID",
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
          QStringLiteral("h"), QStringLiteral("i")}},
        {u"data3", u"data3_text", u"ID", {QStringLiteral("a")}},
    };
    return list;
}

const Indexed *indexOf(const QString &table)
{
    for (const Indexed &indexed : indexes())
        if (table.compare(QString::fromUtf16(indexed.table), Qt::CaseInsensitive) == 0)
            return &indexed;
    return nullptr;
}

// "prefix.col1, prefix.col2, ..." of the indexed columns.
QString columnList(const Indexed &indexed, const QString &prefix)
{
    QStringList terms;
    for (const QString &column : indexed.columns)
        terms << prefix + Db::Quote(column);
    return terms.join(QStringLiteral(", "));
}

void createIndex(const Indexed &indexed)
{
    const QString table = QString::fromUtf16(indexed.table);
    const QString index = QString::fromUtf16(indexed.index);
    const QString key = QString::fromUtf16(indexed.key);
    const QString columns = columnList(indexed, QString());
    // External content: the index holds the trigrams and row ids only, the texts stay in
    // the table. Without positions the index is a third of the size; the statement's own
    // LIKE checks the candidates anyway.
    Db::Run(QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS %1 USING fts5(%2, content='%3', "
                           "content_rowid='%4', tokenize='trigram', detail='none')")
                .arg(index, columns, table, key));
    const QString insertNew =
        QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (new.%3, %4);")
            .arg(index, columns, key, columnList(indexed, QStringLiteral("new.")));
    const QString deleteOld =
        QStringLiteral("INSERT INTO %1 (%1, rowid, %2) VALUES ('delete', old.%3, %4);")
            .arg(index, columns, key, columnList(indexed, QStringLiteral("old.")));
    // An update of the texts or of the row's key moves the row in the index.
    const QString watched =
        key == Db::RowIdColumn() ? columns : columns + QStringLiteral(", ") + Db::Quote(key);
    Db::Run(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_insert AFTER INSERT ON %2 BEGIN %3 END")
                .arg(index, table, insertNew));
    Db::Run(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_delete AFTER DELETE ON %2 BEGIN %3 END")
                .arg(index, table, deleteOld));
    Db::Run(QStringLiteral(
                "CREATE TRIGGER IF NOT EXISTS %1_update AFTER UPDATE OF %2 ON %3 BEGIN %4 %5 END")
                .arg(index, watched, table, deleteOld, insertNew));
    Db::Run(QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(index));
}

} // namespace

namespace TextIndex {

void Create()
{
    for (const Indexed &indexed : indexes())
        createIndex(indexed);
}

bool Narrows(const QString &text)
{
    // The index works on characters, so a character outside the basic plane counts once.
    if (text.toUcs4().size() < 3)
        return false;
    for (const QChar c : text)
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            return false;
    return true;
}

QString From(const QString &table, const QList<QPair<QString, QString>> &contains,
             QVariantList *params)
{
    const Indexed *indexed = indexOf(table);
    const QPair<QString, QString> *best = nullptr;
    if (indexed)
        for (const auto &condition : contains)
            if (indexed->columns.contains(condition.first) && Narrows(condition.second) &&
                (!best || condition.second.size() > best->second.size()))
                best = &condition;
    if (!best)
        return table;
    // The index leads, in its row order, and each row it finds is read by its key.
    *params << QStringLiteral("%") + best->second + QStringLiteral("%");
    return QStringLiteral("(select rowid as text_hit from %1 where %2 like ?) cross join %3 on "
                          "%3.%4 = text_hit")
        .arg(QString::fromUtf16(indexed->index), Db::Quote(best->first), table,
             QString::fromUtf16(indexed->key));
}

} // namespace TextIndex
