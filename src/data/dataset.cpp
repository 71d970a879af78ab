#include "data/dataset.h"

#include "data/db.h"

#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <numeric>

Dataset::Dataset(const QString &name, const QString &baseTable, const QString &initialSql,
                 QObject *parent)
    : QAbstractTableModel(parent), m_name(name), m_baseTable(baseTable), m_sql(initialSql)
{
}

void Dataset::Open(const QString &sql, const QVariantList &params)
{
    Close();
    m_sql = sql;
    m_params = params;
    QSqlQuery query = Db::Run(sql, params);

    QStringList fields;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i);
    QVector<QVector<QVariant>> rows;
    while (query.next()) {
        QVector<QVariant> row(fields.size());
        for (int i = 0; i < fields.size(); ++i)
            row[i] = query.value(i);
        rows.push_back(std::move(row));
    }

    beginResetModel();
    m_fields = std::move(fields);
    m_rows = std::move(rows);
    m_fetchOrder.resize(m_rows.size());
    std::iota(m_fetchOrder.begin(), m_fetchOrder.end(), 0);
    m_sortField.clear();
    m_open = true;
    endResetModel();
    m_current = m_rows.isEmpty() ? -1 : 0;
    emit CurrentRowChanged(m_current);
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
    if (!m_open && m_rows.isEmpty())
        return;
    beginResetModel();
    m_open = false;
    m_rows.clear();
    m_fetchOrder.clear();
    m_fields.clear();
    m_sortField.clear();
    endResetModel();
    m_current = -1;
    emit CurrentRowChanged(m_current);
}

int Dataset::FieldIndex(const QString &field) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Dataset::Value(int row, int column) const
{
    if (row < 0 || row >= RecordCount() || column < 0 || column >= m_fields.size())
        return {};
    return m_rows[row][column];
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
    m_current = next;
    emit CurrentRowChanged(m_current);
}

void Dataset::First()
{
    SetCurrentRow(0);
}

void Dataset::Last()
{
    SetCurrentRow(RecordCount() - 1);
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

namespace {

// Orders two values the way a user reading the column expects: nulls first, numbers
// by value, everything else by its text.
int compareValues(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return int(!a.isNull()) - int(!b.isNull());
    bool aNum = false;
    bool bNum = false;
    const double x = a.toDouble(&aNum);
    const double y = b.toDouble(&bNum);
    const auto isNumber = [](const QVariant &v) {
        const int id = v.typeId();
        return id == QMetaType::Double || id == QMetaType::Int || id == QMetaType::LongLong ||
               id == QMetaType::UInt || id == QMetaType::ULongLong;
    };
    if (isNumber(a) && isNumber(b) && aNum && bNum)
        return (x > y) - (x < y);
    return a.toString().compare(b.toString());
}

} // namespace

void Dataset::Sort(const QString &field, Qt::SortOrder order)
{
    const int column = FieldIndex(field);
    QVector<int> permutation(m_rows.size());
    std::iota(permutation.begin(), permutation.end(), 0);
    if (column < 0) {
        std::stable_sort(permutation.begin(), permutation.end(),
                         [&](int l, int r) { return m_fetchOrder[l] < m_fetchOrder[r]; });
    } else {
        std::stable_sort(permutation.begin(), permutation.end(), [&](int l, int r) {
            const int c = compareValues(m_rows[l][column], m_rows[r][column]);
            return order == Qt::AscendingOrder ? c < 0 : c > 0;
        });
    }

    const int currentOrdinal = Eof() ? -1 : m_fetchOrder[m_current];
    beginResetModel();
    QVector<QVector<QVariant>> rows;
    QVector<int> fetchOrder;
    rows.reserve(m_rows.size());
    fetchOrder.reserve(m_rows.size());
    for (int index : permutation) {
        rows.push_back(std::move(m_rows[index]));
        fetchOrder.push_back(m_fetchOrder[index]);
    }
    m_rows = std::move(rows);
    m_fetchOrder = std::move(fetchOrder);
    m_sortField = column < 0 ? QString() : m_fields[column];
    m_sortOrder = order;
    endResetModel();
    m_current = currentOrdinal < 0 ? -1 : static_cast<int>(m_fetchOrder.indexOf(currentOrdinal));
    emit CurrentRowChanged(m_current);
}

QString Dataset::keyField() const
{
    for (const QString &candidate : {QStringLiteral("id"), Db::RowIdColumn()})
        if (FieldIndex(candidate) >= 0)
            return m_fields[FieldIndex(candidate)];
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
    Db::Run(QStringLiteral("update %1 set %2 where %3=?")
                .arg(m_baseTable, sets.join(QLatin1Char(',')), Db::Quote(keyField())),
            params);
    for (const auto &[field, value] : values) {
        const int column = FieldIndex(field);
        if (column >= 0)
            m_rows[row][column] = value;
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void Dataset::DeleteRow(int row)
{
    if (row < 0 || row >= RecordCount())
        return;
    const QVariant key = keyOf(row);
    Db::Run(QStringLiteral("delete from %1 where %2=?").arg(m_baseTable, Db::Quote(keyField())),
            {key});
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    m_fetchOrder.removeAt(row);
    endRemoveRows();
    if (m_current >= RecordCount())
        m_current = RecordCount() - 1;
    emit CurrentRowChanged(m_current);
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
    return Value(index.row(), index.column());
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

QString Dataset::orderedSql() const
{
    if (m_sortField.isEmpty())
        return m_sql;
    QString sql = QStringLiteral("select * from (%1) order by %2 %3")
                      .arg(m_sql, Db::Quote(m_sortField),
                           m_sortOrder == Qt::AscendingOrder ? QStringLiteral("asc")
                                                             : QStringLiteral("desc"));
    if (const QString key = keyField(); !key.isEmpty())
        sql += QStringLiteral(", %1").arg(Db::Quote(key));
    return sql;
}

DatasetReader Dataset::Reader() const
{
    return DatasetReader(Db::Run(orderedSql(), m_params));
}
