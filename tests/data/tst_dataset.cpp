// The dataset behind every grid: reading, ordering, counting, sums and edits written back.

#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestDataset : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tdmfm> m_dm;

    // Sale lines with amounts 5, 3, 5, 1, 3 (IDs 1..5).
    static void addLines(const QList<double> &amounts)
    {
        Db::Transaction transaction;
        for (double amount : amounts)
            Db::InsertRow(QStringLiteral("data1"),
                          {{QStringLiteral("a"), QStringLiteral("品%1").arg(amount)},
                           {QStringLiteral("2"), amount}});
        transaction.Commit();
    }

    static QList<qint64> readerIds(const Dataset &dataset)
    {
        QList<qint64> ids;
        DatasetReader reader = dataset.Reader();
        while (reader.Next())
            ids << reader.Value(QStringLiteral("id")).toLongLong();
        return ids;
    }

    static QList<qint64> rowIds(const Dataset &dataset)
    {
        QList<qint64> ids;
        for (int row = 0; row < dataset.RecordCount(); ++row)
            ids << dataset.Value(row, QStringLiteral("ID")).toLongLong();
        return ids;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dm = std::make_unique<Tdmfm>(m_dir->filePath(QStringLiteral("data.db")));
    }

    void cleanup()
    {
        m_dm.reset();
        m_dir.reset();
    }

    // The reader goes through the rows in the grid's order, sorted or not, equal values
    // in the order of their key.
    void readerFollowsCurrentOrder()
    {
        addLines({5, 3, 5, 1, 3});
        Dataset &lines = *m_dm->ADOQuery13;
        lines.Open(QStringLiteral("select * from data1 where \"2\" > ?"), {0});

        QCOMPARE(readerIds(lines), QList<qint64>({1, 2, 3, 4, 5}));
        lines.Sort(QStringLiteral("2"), Qt::DescendingOrder);
        QCOMPARE(readerIds(lines), QList<qint64>({1, 3, 2, 5, 4}));
        QCOMPARE(readerIds(lines), rowIds(lines));
        lines.Sort(QStringLiteral("2"), Qt::AscendingOrder);
        QCOMPARE(readerIds(lines), QList<qint64>({4, 2, 5, 1, 3}));
        QCOMPARE(readerIds(lines), rowIds(lines));
    }

    void readerValuesByColumnAndName()
    {
        addLines({2.5});
        Dataset &lines = *m_dm->ADOQuery13;
        lines.Open(QStringLiteral("select ID, a, \"2\" from data1"));
        DatasetReader reader = lines.Reader();
        QCOMPARE(reader.FieldNames(),
                 (QStringList{QStringLiteral("ID"), QStringLiteral("a"), QStringLiteral("2")}));
        QVERIFY(!reader.Value(1).isValid()); // before the first row
        QVERIFY(reader.Next());
        QCOMPARE(reader.Value(1).toString(), QStringLiteral("品2.5"));
        QCOMPARE(reader.Value(QStringLiteral("A")).toString(), QStringLiteral("品2.5"));
        QCOMPARE(reader.Value(QStringLiteral("2")).toDouble(), 2.5);
        QVERIFY(!reader.Value(QStringLiteral("nosuch")).isValid());
        QVERIFY(!reader.Value(7).isValid());
        QVERIFY(!reader.Next());
    }

    void readerReportsEngineErrors()
    {
        Dataset dataset(QStringLiteral("q"), QString(), QStringLiteral("select * from nosuch"));
        QVERIFY_THROWS_EXCEPTION(DbError, dataset.Reader());
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
