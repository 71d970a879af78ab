#pragma once
// A query result with a current row, a sort, footer sums and row edits written back to
// its base table. Rows are fetched in blocks as they are read (a grid reads what it
// shows) and only a bounded number of blocks is held; the record count, the sort and
// the sums are the engine's work over the same statement. Grids show it directly;
// print-outs and exports read it in its current order through a DatasetReader.

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <atomic>
#include <functional>
#include <memory>

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

class QThread;

class Dataset : public QAbstractTableModel
{
    Q_OBJECT
public:
    // `name` is the component name (ADOQuery15); `baseTable` is the table whose rows
    // edits and deletions write back to (empty for read-only results).
    Dataset(const QString &name, const QString &baseTable, const QString &initialSql,
            QObject *parent = nullptr);
    ~Dataset() override;

    QString Name() const { return m_name; }
    QString BaseTable() const { return m_baseTable; }
    QString Sql() const { return m_sql; }

    // Runs `sql` (with `params` bound to its `?` placeholders), counts its rows and
    // fetches the first block; positions on the first row. A statement over a base table
    // without a key column of its own also selects the engine's row identity, so its
    // rows can be edited. Throws DbError on an engine error (left closed).
    void Open(const QString &sql, const QVariantList &params = {});
    // Opens the statement the dataset was last given (or its initial statement).
    void Open();
    // Executes a statement that returns no rows; the dataset is closed afterwards.
    void Execute(const QString &sql, const QVariantList &params = {});
    void Close();
    bool IsOpen() const { return m_open; }

    // Exact record count (0 when closed). While a count is computed aside (CountReady()
    // false) it is the rows known so far, at least the first block.
    int RecordCount() const { return m_count; }
    // Grids whose windows re-open per keystroke count large results aside: Open shows the
    // first block at once, and the rows grow to the exact count when it is ready
    // (CountChanged() follows). Off by default, so every other caller reads an exact count.
    void SetCountAside(bool aside) { m_countAside = aside; }
    bool CountReady() const { return m_countReady; }
    // Waits for a count being computed aside (exports, tests and the benchmark).
    void WaitForCount();
    QStringList FieldNames() const { return m_fields; }
    int FieldIndex(const QString &field) const; // -1 when absent; case-insensitive
    // A row's value, fetched with its block when not held. Throws DbError on an engine
    // error; invalid for a row or column out of range.
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

    // Re-runs the statement ordered by one field, equal values in the order of the row
    // key; nulls come first in ascending order. An empty field name restores the
    // statement's own order. The current row stays on its record in small results and
    // goes to the first row in large ones.
    void Sort(const QString &field, Qt::SortOrder order);
    QString SortField() const { return m_sortField; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }

    // A forward-only reader over the statement in the current order (the current sort,
    // equal values in the order of the row key). Throws DbError on an engine error.
    DatasetReader Reader() const;

    // Footer sums. Fields asked for here are summed by the engine over the whole
    // statement after every open, edit and deletion. Small results are summed at once;
    // over a large one the sums are computed aside and SumsChanged() follows when they
    // are ready, so the rows show first and input is not held up.
    void RequestSums(const QStringList &fields);
    bool SumsReady() const { return m_sumsReady; }
    // Sum of a requested field's numbers (0 until ready, for an unknown field or none).
    double Sum(const QString &field) const;
    // Waits for sums being computed aside (tests and the benchmark).
    void WaitForSums();

    // Writes the given fields of a row to the base table (by its key) and to the
    // held row. Throws DbError on an engine error and leaves the held row unchanged.
    void Post(int row, const QList<QPair<QString, QVariant>> &values);
    // Deletes a row from the base table and from the result.
    void DeleteRow(int row);

    // Rows a block holds, and how many blocks are held at most.
    static int BlockSize();
    static int MaxBlocks();
    // Results up to this size are summed at once and keep their current row on a sort.
    static int SmallResult();
    // Blocks held now (tests).
    int HeldBlocks() const { return static_cast<int>(m_blocks.size()); }

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void CurrentRowChanged(int row);
    void SumsChanged();
    void CountChanged();

private:
    using Row = QVector<QVariant>;
    // Each open, edit and deletion starts a new generation of the sums and of the count;
    // work still running aside for an older one is stopped and its result dropped.
    using Generation = std::shared_ptr<std::atomic<int>>;
    QString keyField() const;
    QVariant keyOf(int row) const;
    // The statement in the current order: the sort field, then the row key.
    QString orderedSql() const;
    QString orderClause() const; // empty in the statement's own order
    const Row *row(int index) const;
    QVector<Row> fetchBlock(int block) const;
    void clearBlocks();
    void refreshSums();
    void refreshCount();
    void countReady(int count);
    // Runs `sql` on a connection of its own in a thread and hands its first row to `done`
    // on this object's thread (an empty row on an engine error or when stopped).
    // The work ends early once `generation` has moved on from `current`.
    void runAside(const QString &sql, const Generation &generation, int current,
                  std::function<void(const QVariantList &)> done);
    // Results in an open transaction or in memory are visible to this connection only.
    static bool canRunAside();
    int positionOf(const QVariant &key) const;

    QString m_name;
    QString m_baseTable;
    QString m_sql;
    QVariantList m_params;
    bool m_open = false;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex; // lower-case name -> column
    int m_count = 0;
    int m_current = -1;
    QString m_sortField;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    // Held blocks by number, the most recently read last in m_recent.
    mutable QHash<int, QVector<Row>> m_blocks;
    mutable QList<int> m_recent;

    QStringList m_sumFields;
    QHash<QString, double> m_sums; // lower-case name -> sum
    bool m_sumsReady = true;
    Generation m_sumGeneration = std::make_shared<std::atomic<int>>(0);
    QList<QThread *> m_threads;

    bool m_countAside = false;
    bool m_countReady = true;
    bool m_lastPending = false; // Last() asked for while counting
    Generation m_countGeneration = std::make_shared<std::atomic<int>>(0);
};
