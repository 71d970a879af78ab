#include "data/dataset.h"

#include "data/db.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>
#include <algorithm>

namespace {

// A statement over one table without a key of its own, into which the row identity
// can be put: "select * from sp where ..." (no distinct, no grouping).
bool canSelectRowId(const QString &sql)
{
    static const QRegularExpression plain(QStringLiteral("^\\s*select\\s+(?!distinct\\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression grouped(QStringLiteral("\\b(group\\s+by|union|join)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return plain.match(sql).hasMatch() && !grouped.match(sql).hasMatch();
}

QString withRowId(const QString &sql)
{
    static const QRegularExpression select(QStringLiteral("^\\s*select\\s+"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = select.match(sql);
    return sql.left(match.capturedLength()) +
           QStringLiteral("%1 as %1, ").arg(Db::Quote(Db::RowIdColumn())) +
           sql.mid(match.capturedLength());
}

// The statement without a final ordering, for counts and sums that do not depend on it
// (an ordered subquery would be sorted first). A statement with a limit keeps its order.
QString unordered(const QString &sql)
{
    static const QRegularExpression trailingOrder(QStringLiteral("\\s+order\\s+by\\s+[^()';]*$"),
                                                  QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression limited(QStringLiteral("\\b(limit|offset)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = trailingOrder.match(sql);
    if (!match.hasMatch() || limited.match(match.captured()).hasMatch())
        return sql;
    return sql.left(match.capturedStart());
}

// A value as the engine's sum() counts it: numbers as they are, a text by its leading
// number (0 without one), nothing for a null.
double numericValue(const QVariant &value)
{
    if (value.isNull())
        return 0;
    if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray)
        return value.toDouble();
    static const QRegularExpression leading(
        QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = leading.match(value.toString());
    return match.hasMatch() ? match.captured().trimmed().toDouble() : 0;
}

} // namespace

Dataset::Dataset(const QString &name, const QString &baseTable, const QString &initialSql,
                 QObject *parent)
    : QAbstractTableModel(parent), m_name(name), m_baseTable(baseTable), m_sql(initialSql)
{
}

Dataset::~Dataset()
{
    ++*m_sumGeneration;
    ++*m_countGeneration;
    for (QThread *thread : std::as_const(m_threads))
        thread->wait();
}

int Dataset::BlockSize()
{
    return 256;
}

int Dataset::MaxBlocks()
{
    return 16;
}

int Dataset::SmallResult()
{
    return 20000;
}

void Dataset::Open(const QString &sql, const QVariantList &params)
{
    Close();
    QString statement = sql;
    if (!m_baseTable.isEmpty() && Db::KeyColumn(m_baseTable).isEmpty() && canSelectRowId(sql))
        statement = withRowId(sql);

    // The first block tells the field names and, when it is not full, the count.
    QSqlQuery query = Db::Run(Db::Window(statement, BlockSize(), 0), params);
    QStringList fields;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i);
    QVector<Row> first;
    while (query.next()) {
        Row row(fields.size());
        for (int i = 0; i < fields.size(); ++i)
            row[i] = query.value(i);
        first.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        throw DbError(query.lastError().text());
    int count = static_cast<int>(first.size());
    const bool countAside = m_countAside && count == BlockSize() && canRunAside();
    if (count == BlockSize() && !countAside)
        count = Db::Scalar(QStringLiteral("select count(*) from (%1)").arg(unordered(statement)),
                           params)
                    .toInt();

    beginResetModel();
    m_sql = statement;
    m_params = params;
    m_fields = std::move(fields);
    m_fieldIndex.clear();
    for (int i = static_cast<int>(m_fields.size()) - 1; i >= 0; --i)
        m_fieldIndex.insert(m_fields[i].toLower(), i);
    m_count = count;
    if (!first.isEmpty()) {
        m_blocks.insert(0, std::move(first));
        m_recent = {0};
    }
    m_sortField.clear();
    m_open = true;
    ++*m_sumGeneration;
    m_sums.clear();
    m_sumsReady = m_sumFields.isEmpty();
    ++*m_countGeneration;
    m_countReady = !countAside;
    m_lastPending = false;
    endResetModel();
    m_current = m_count == 0 ? -1 : 0;
    emit CurrentRowChanged(m_current);
    if (countAside)
        refreshCount();
    refreshSums();
}

void Dataset::Open()
{
    Open(m_sql, m_params);
}

void Dataset::Execute(const QString &sql, const QVariantList &params)
{
    Close();
    m_sql = sql;
    m_params = params;
    Db::Run(sql, params);
}

void Dataset::Close()
{
    if (!m_open && m_count == 0)
        return;
    beginResetModel();
    m_open = false;
    clearBlocks();
    m_count = 0;
    m_fields.clear();
    m_fieldIndex.clear();
    m_sortField.clear();
    endResetModel();
    m_current = -1;
    ++*m_sumGeneration;
    m_sums.clear();
    m_sumsReady = true;
    ++*m_countGeneration;
    m_countReady = true;
    m_lastPending = false;
    emit CurrentRowChanged(m_current);
}

void Dataset::clearBlocks()
{
    m_blocks.clear();
    m_recent.clear();
}

int Dataset::FieldIndex(const QString &field) const
{
    return m_fieldIndex.value(field.toLower(), -1);
}

const Dataset::Row *Dataset::row(int index) const
{
    if (index < 0 || index >= m_count)
        return nullptr;
    const int block = index / BlockSize();
    auto it = m_blocks.find(block);
    if (it == m_blocks.end()) {
        QVector<Row> rows = fetchBlock(block);
        while (m_blocks.size() >= MaxBlocks() && !m_recent.isEmpty())
            m_blocks.remove(m_recent.takeFirst());
        it = m_blocks.insert(block, std::move(rows));
        m_recent << block;
    } else if (m_recent.last() != block) {
        m_recent.removeOne(block);
        m_recent << block;
    }
    const int offset = index % BlockSize();
    return offset < it->size() ? &(*it)[offset] : nullptr;
}

QVector<Dataset::Row> Dataset::fetchBlock(int block) const
{
    const auto read = [this](QSqlQuery &query, QVector<Row> *rows) {
        while (query.next()) {
            Row r(m_fields.size());
            for (int i = 0; i < m_fields.size(); ++i)
                r[i] = query.value(i);
            rows->push_back(std::move(r));
        }
        if (query.lastError().isValid())
            throw DbError(query.lastError().text());
    };
    QVector<Row> rows;
    rows.reserve(BlockSize());
    const QString key = keyField();
    if (m_sortField.isEmpty() || key.isEmpty()) {
        QSqlQuery query =
            Db::Run(Db::Window(orderedSql(), BlockSize(), block * BlockSize()), m_params);
        read(query, &rows);
        return rows;
    }
    // Sorted: the engine orders only the sort field and the key, then the block's rows
    // are read by their keys. Sorting whole rows would carry every column through it.
    QSqlQuery keyQuery = Db::Run(
        Db::Window(
            QStringLiteral("select %1 from (%2) %3").arg(Db::Quote(key), m_sql, orderClause()),
            BlockSize(), block * BlockSize()),
        m_params);
    QVariantList keys;
    while (keyQuery.next())
        keys << keyQuery.value(0);
    if (keyQuery.lastError().isValid())
        throw DbError(keyQuery.lastError().text());
    if (keys.isEmpty())
        return rows;
    QStringList marks(keys.size(), QStringLiteral("?"));
    QVariantList params = m_params;
    params += keys;
    QSqlQuery query = Db::Run(QStringLiteral("select * from (%1) where %2 in (%3)")
                                  .arg(m_sql, Db::Quote(key), marks.join(QLatin1Char(','))),
                              params);
    QVector<Row> found;
    read(query, &found);
    const int keyColumn = FieldIndex(key);
    QHash<QString, qsizetype> byKey;
    for (qsizetype i = 0; i < found.size(); ++i)
        byKey.insert(found[i][keyColumn].toString(), i);
    for (const QVariant &k : std::as_const(keys))
        if (const auto at = byKey.constFind(k.toString()); at != byKey.cend())
            rows.push_back(std::move(found[*at]));
    return rows;
}

QVariant Dataset::Value(int row, int column) const
{
    if (column < 0 || column >= m_fields.size())
        return {};
    const Row *r = this->row(row);
    return r ? r->at(column) : QVariant();
}

QVariant Dataset::Value(int row, const QString &field) const
{
    return Value(row, FieldIndex(field));
}

void Dataset::SetCurrentRow(int row)
{
    const int next = (row >= 0 && row < RecordCount()) ? row : -1;
    if (next == m_current)
        return;
    m_lastPending = false;
    m_current = next;
    emit CurrentRowChanged(m_current);
}

void Dataset::First()
{
    SetCurrentRow(0);
}

void Dataset::Last()
{
    // While counting, the last row known so far; the real last row when the count is in.
    SetCurrentRow(RecordCount() - 1);
    m_lastPending = !m_countReady;
}

void Dataset::Next()
{
    // Moving past the last row leaves the dataset at its end (Eof).
    m_current = (m_current >= 0 && m_current + 1 < RecordCount()) ? m_current + 1 : -1;
    emit CurrentRowChanged(m_current);
}

QVariant Dataset::Field(const QString &field) const
{
    return Eof() ? QVariant() : Value(m_current, field);
}

void Dataset::Sort(const QString &field, Qt::SortOrder order)
{
    const int column = FieldIndex(field);
    const QString key = keyField();
    const QVariant currentKey =
        (!Eof() && !key.isEmpty() && m_count <= SmallResult()) ? Value(m_current, key) : QVariant();
    beginResetModel();
    m_sortField = column < 0 ? QString() : m_fields[column];
    m_sortOrder = order;
    clearBlocks();
    endResetModel();
    int current = m_count == 0 ? -1 : 0;
    if (currentKey.isValid())
        current = positionOf(currentKey);
    m_current = current;
    emit CurrentRowChanged(m_current);
}

int Dataset::positionOf(const QVariant &key) const
{
    const QString k = Db::Quote(keyField());
    const QString sql =
        QStringLiteral("select n from (select %1 as k, row_number() over (%2) - 1 as n from (%3)) "
                       "where k = ?")
            .arg(k, orderClause(), m_sql);
    QVariantList params = m_params;
    params << key;
    const QVariant n = Db::Scalar(sql, params);
    return n.isValid() ? n.toInt() : (m_count == 0 ? -1 : 0);
}

QString Dataset::keyField() const
{
    QStringList candidates{QStringLiteral("id"), Db::RowIdColumn()};
    if (!m_baseTable.isEmpty())
        if (const QString key = Db::KeyColumn(m_baseTable); !key.isEmpty())
            candidates.prepend(key);
    for (const QString &candidate : std::as_const(candidates))
        if (const int column = FieldIndex(candidate); column >= 0)
            return m_fields[column];
    return {};
}

QVariant Dataset::keyOf(int row) const
{
    const QString key = keyField();
    if (m_baseTable.isEmpty() || key.isEmpty())
        throw DbError(QStringLiteral("数据集 %1 不能修改。").arg(m_name));
    return Value(row, key);
}

void Dataset::Post(int row, const QList<QPair<QString, QVariant>> &values)
{
    if (row < 0 || row >= RecordCount() || values.isEmpty())
        return;
    const QVariant key = keyOf(row);
    QStringList sets;
    QVariantList params;
    for (const auto &[field, value] : values) {
        sets << Db::Quote(field) + QStringLiteral("=?");
        params << value;
    }
    params << key;
    const QString keyColumn = keyField().compare(Db::RowIdColumn(), Qt::CaseInsensitive) == 0
                                  ? Db::RowIdColumn()
                                  : Db::Quote(keyField());
    Db::Run(QStringLiteral("update %1 set %2 where %3=?")
                .arg(m_baseTable, sets.join(QLatin1Char(',')), keyColumn),
            params);
    // The row stays where it is shown; a later fetch of its block reads it from the
    // table again.
    if (auto it = m_blocks.find(row / BlockSize());
        it != m_blocks.end() && row % BlockSize() < it->size()) {
        Row &held = (*it)[row % BlockSize()];
        for (const auto &[field, value] : values)
            if (const int column = FieldIndex(field); column >= 0)
                held[column] = value;
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    // The count being computed may have read the table before the change.
    if (!m_countReady)
        refreshCount();
    refreshSums();
}

void Dataset::DeleteRow(int row)
{
    if (row < 0 || row >= RecordCount())
        return;
    const QVariant key = keyOf(row);
    const QString keyColumn = keyField().compare(Db::RowIdColumn(), Qt::CaseInsensitive) == 0
                                  ? Db::RowIdColumn()
                                  : Db::Quote(keyField());
    Db::Run(QStringLiteral("delete from %1 where %2=?").arg(m_baseTable, keyColumn), {key});
    beginRemoveRows({}, row, row);
    // Rows after the deleted one move up: their blocks are read again when needed.
    const int block = row / BlockSize();
    if (auto it = m_blocks.find(block); it != m_blocks.end() && row % BlockSize() < it->size())
        it->removeAt(row % BlockSize());
    --m_count;
    const int heldInBlock = std::min(BlockSize(), m_count - block * BlockSize());
    for (auto it = m_blocks.begin(); it != m_blocks.end();) {
        if (it.key() > block || (it.key() == block && it->size() < heldInBlock)) {
            m_recent.removeOne(it.key());
            it = m_blocks.erase(it);
        } else {
            ++it;
        }
    }
    endRemoveRows();
    if (m_current >= RecordCount())
        m_current = RecordCount() - 1;
    emit CurrentRowChanged(m_current);
    if (!m_countReady)
        refreshCount();
    refreshSums();
}

void Dataset::RequestSums(const QStringList &fields)
{
    bool added = false;
    for (const QString &field : fields)
        if (!m_sumFields.contains(field.toLower())) {
            m_sumFields << field.toLower();
            added = true;
        }
    if (added && m_open)
        refreshSums();
}

double Dataset::Sum(const QString &field) const
{
    return m_sums.value(field.toLower(), 0.0);
}

void Dataset::refreshSums()
{
    const int generation = ++*m_sumGeneration;
    QStringList fields;
    QStringList terms;
    for (const QString &field : std::as_const(m_sumFields))
        if (const int column = FieldIndex(field); column >= 0) {
            fields << field;
            terms << QStringLiteral("coalesce(sum(%1), 0)").arg(Db::Quote(m_fields[column]));
        }
    m_sums.clear();
    if (terms.isEmpty() || m_count == 0) {
        m_sumsReady = true;
        emit SumsChanged();
        return;
    }
    // A result that fits in its first block is held whole: summing it needs no second read
    // of the table, which is what a filter matching few of many rows would cost.
    if (const auto first = m_blocks.constFind(0);
        m_countReady && first != m_blocks.cend() && first->size() == m_count) {
        for (const QString &field : std::as_const(fields)) {
            const int column = FieldIndex(field);
            double sum = 0;
            for (const Row &r : *first)
                sum += numericValue(r[column]);
            m_sums.insert(field, sum);
        }
        m_sumsReady = true;
        emit SumsChanged();
        return;
    }
    const QString sql =
        QStringLiteral("select %1 from (%2)").arg(terms.join(QLatin1Char(',')), unordered(m_sql));
    // A result still being counted may be large: it is summed aside as well.
    if ((m_countReady && m_count <= SmallResult()) || !canRunAside()) {
        QSqlQuery query = Db::Run(sql, m_params);
        if (query.next())
            for (int i = 0; i < fields.size(); ++i)
                m_sums.insert(fields[i], query.value(i).toDouble());
        m_sumsReady = true;
        emit SumsChanged();
        return;
    }
    m_sumsReady = false;
    emit SumsChanged();
    runAside(sql, m_sumGeneration, generation, [this, generation, fields](const QVariantList &row) {
        if (generation != *m_sumGeneration)
            return;
        // On an engine error the footer stays empty; the rows themselves are unaffected.
        m_sums.clear();
        for (int i = 0; i < fields.size() && i < row.size(); ++i)
            m_sums.insert(fields[i], row[i].toDouble());
        m_sumsReady = true;
        emit SumsChanged();
    });
}

bool Dataset::canRunAside()
{
    const QString path = Db::FilePath();
    return !Db::InTransaction() && !path.isEmpty() && path != QStringLiteral(":memory:");
}

void Dataset::runAside(const QString &sql, const Generation &generation, int current,
                       std::function<void(const QVariantList &)> done)
{
    const QString path = Db::FilePath();
    const QVariantList params = m_params;
    QThread *thread =
        QThread::create([this, path, sql, params, generation, current, done = std::move(done)] {
            QVariantList row;
            try {
                row = Db::FirstRowAside(path, sql, params,
                                        [generation, current] { return *generation != current; });
            } catch (const DbError &) {
                row.clear();
            }
            QMetaObject::invokeMethod(
                this, [done, row] { done(row); }, Qt::QueuedConnection);
        });
    m_threads << thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        m_threads.removeOne(thread);
        thread->deleteLater();
    });
    thread->start();
}

void Dataset::refreshCount()
{
    const int generation = ++*m_countGeneration;
    m_countReady = false;
    runAside(QStringLiteral("select count(*) from (%1)").arg(unordered(m_sql)), m_countGeneration,
             generation, [this, generation](const QVariantList &row) {
                 if (generation != *m_countGeneration)
                     return;
                 // On an engine error the rows known so far stay the count.
                 countReady(row.isEmpty() ? m_count : row.first().toInt());
             });
}

void Dataset::countReady(int count)
{
    if (count > m_count) {
        beginInsertRows({}, m_count, count - 1);
        m_count = count;
        endInsertRows();
    } else if (count < m_count) {
        beginRemoveRows({}, count, m_count - 1);
        m_count = count;
        for (auto it = m_blocks.begin(); it != m_blocks.end();) {
            if (it.key() * BlockSize() >= m_count) {
                m_recent.removeOne(it.key());
                it = m_blocks.erase(it);
            } else {
                ++it;
            }
        }
        endRemoveRows();
        if (m_current >= m_count) {
            m_current = m_count - 1;
            emit CurrentRowChanged(m_current);
        }
    }
    m_countReady = true;
    const bool last = m_lastPending;
    m_lastPending = false;
    emit CountChanged();
    if (last)
        SetCurrentRow(m_count - 1);
    // Sums computed while the count was unknown went aside; a small result is now known.
}

void Dataset::WaitForCount()
{
    while (!m_countReady && !m_threads.isEmpty()) {
        for (QThread *thread : std::as_const(m_threads))
            thread->wait();
        QCoreApplication::sendPostedEvents(this);
    }
}

void Dataset::WaitForSums()
{
    while (!m_sumsReady && !m_threads.isEmpty()) {
        for (QThread *thread : std::as_const(m_threads))
            thread->wait();
        QCoreApplication::sendPostedEvents(this);
    }
}

int Dataset::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RecordCount();
}

int Dataset::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant Dataset::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    try {
        return Value(index.row(), index.column());
    } catch (const DbError &) {
        return {}; // a view painting rows has no one to tell; the next action will
    }
}

QVariant Dataset::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
        section < m_fields.size())
        return m_fields[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

DatasetReader::DatasetReader(QSqlQuery query) : m_query(std::move(query))
{
    const QSqlRecord record = m_query.record();
    for (int i = 0; i < record.count(); ++i) {
        m_fields << record.fieldName(i);
        m_index.insert(record.fieldName(i).toLower(), i);
    }
}

bool DatasetReader::Next()
{
    m_onRow = m_query.next();
    if (!m_onRow && m_query.lastError().isValid())
        throw DbError(m_query.lastError().text());
    return m_onRow;
}

QVariant DatasetReader::Value(int column) const
{
    if (!m_onRow || column < 0 || column >= m_fields.size())
        return {};
    return m_query.value(column);
}

QVariant DatasetReader::Value(const QString &field) const
{
    return Value(m_index.value(field.toLower(), -1));
}

QString Dataset::orderClause() const
{
    if (m_sortField.isEmpty())
        return {};
    QString clause = QStringLiteral("order by %1 %2")
                         .arg(Db::Quote(m_sortField), m_sortOrder == Qt::AscendingOrder
                                                          ? QStringLiteral("asc")
                                                          : QStringLiteral("desc"));
    if (const QString key = keyField(); !key.isEmpty())
        clause += QStringLiteral(", %1").arg(Db::Quote(key));
    return clause;
}

QString Dataset::orderedSql() const
{
    if (m_sortField.isEmpty())
        return m_sql;
    return QStringLiteral("select * from (%1) %2").arg(m_sql, orderClause());
}

DatasetReader Dataset::Reader() const
{
    return DatasetReader(Db::Run(orderedSql(), m_params));
}
