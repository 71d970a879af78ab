#pragma once
// A fully fetched query result with a current row, an in-memory stable sort and row
// edits written back to its base table. Grids show it directly; print-outs and exports
// read it in its current order. Windows use only this interface, so fetching or
// sorting can change behind it without touching them.

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QSqlDatabase;

// Reads a dataset's statement in the dataset's current order through a forward-only
// cursor: print-outs and exports go through all rows without holding them.
class DatasetReader
{
public:
    bool Next();                                // next row; false at the end
    QVariant Value(int column) const;           // column of FieldNames()
    QVariant Value(const QString &field) const; // case-insensitive; invalid when absent
    QStringList FieldNames() const { return m_fields; }

private:
    friend class Dataset;
    explicit DatasetReader(QSqlQuery query);

    QSqlQuery m_query;
    QStringList m_fields;
    QHash<QString, int> m_index; // lower-case field name -> column
    bool m_onRow = false;
};

class Dataset : public QAbstractTableModel
{
    Q_OBJECT
public:
    // `name` is the component name (ADOQuery15); `baseTable` is the table whose rows
    // edits and deletions write back to (empty for read-only results).
    Dataset(const QString &name, const QString &baseTable, const QString &initialSql,
            QObject *parent = nullptr);

    QString Name() const { return m_name; }
    QString BaseTable() const { return m_baseTable; }
    QString Sql() const { return m_sql; }

    // Runs `sql` (with `params` bound to its `?` placeholders) and holds its rows;
    // positions on the first row. Throws DbError on an engine error (left closed).
    void Open(const QString &sql, const QVariantList &params = {});
    // Opens the statement the dataset was last given (or its initial statement).
    void Open();
    // Executes a statement that returns no rows; the dataset is closed afterwards.
    void Execute(const QString &sql, const QVariantList &params = {});
    void Close();
    bool IsOpen() const { return m_open; }

    // Exact record count (0 when closed).
    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    QStringList FieldNames() const { return m_fields; }
    int FieldIndex(const QString &field) const; // -1 when absent; case-insensitive
    QVariant Value(int row, const QString &field) const;
    QVariant Value(int row, int column) const;

    // Current row: -1 when empty or past the end.
    int CurrentRow() const { return m_current; }
    void SetCurrentRow(int row);
    void First();
    void Last();
    void Next();
    bool Eof() const { return m_current < 0 || m_current >= RecordCount(); }
    // Value of a field in the current row (invalid QVariant when Eof).
    QVariant Field(const QString &field) const;

    // Stable in-memory sort by one field; numbers compare as numbers, texts by their
    // Unicode order. An empty field name restores the fetched order.
    void Sort(const QString &field, Qt::SortOrder order);
    QString SortField() const { return m_sortField; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }

    // A forward-only reader over the statement in the current order (the current sort,
    // equal values in the order of the row key). Throws DbError on an engine error.
    DatasetReader Reader() const;

    // Writes the given fields of a row to the base table (by its key) and to the
    // held row. Throws DbError on an engine error and leaves the held row unchanged.
    void Post(int row, const QList<QPair<QString, QVariant>> &values);
    // Deletes a row from the base table and from the held rows.
    void DeleteRow(int row);

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void CurrentRowChanged(int row);

private:
    QString keyField() const;
    // The statement in the current order: the sort field, then the row key.
    QString orderedSql() const;
    QVariant keyOf(int row) const;

    QString m_name;
    QString m_baseTable;
    QString m_sql;
    QVariantList m_params;
    bool m_open = false;
    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
    QVector<int> m_fetchOrder; // ordinal of each row as fetched, to restore the order
    int m_current = -1;
    QString m_sortField;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
