// The dataset behind every grid: reading, ordering, counting, sums and edits written back.

#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QSqlQuery>
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

    // `n` sale lines with amounts 1..n in one prepared statement.
    static void addManyLines(int n)
    {
        Db::Transaction transaction;
        QSqlQuery insert(Db::Connection());
        insert.prepare(QStringLiteral("insert into data1 (a, \"2\", \"6\") values (?, ?, ?)"));
        for (int i = 1; i <= n; ++i) {
            insert.addBindValue(QStringLiteral("品%1").arg(i));
            insert.addBindValue(i);
            insert.addBindValue(0.5);
            QVERIFY(insert.exec());
        }
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

    // Rows past the first block come from the engine on demand; the count is exact
    // without reading them, and only a bounded number of blocks is held.
    void fetchesBlocksOnDemand()
    {
        const int n = Dataset::BlockSize() * (Dataset::MaxBlocks() + 3) + 7;
        addManyLines(n);
        Dataset &lines = *m_dm->ADOTable2;
        lines.Open(QStringLiteral("select * from data1 where \"2\" >= ?"), {2});
        QCOMPARE(lines.RecordCount(), n - 1);
        QCOMPARE(lines.HeldBlocks(), 1);
        QCOMPARE(lines.Value(Dataset::BlockSize(), QStringLiteral("2")).toInt(),
                 Dataset::BlockSize() + 2);
        for (int row = 0; row < lines.RecordCount(); row += 97)
            QCOMPARE(lines.Value(row, QStringLiteral("a")).toString(),
                     QStringLiteral("品%1").arg(row + 2));
        QCOMPARE(lines.Value(n - 2, QStringLiteral("2")).toInt(), n);
        QVERIFY(!lines.Value(n - 1, QStringLiteral("2")).isValid());
        QVERIFY(lines.HeldBlocks() <= Dataset::MaxBlocks());

        // Sorted, a later block holds the rows of its place in the order.
        lines.Sort(QStringLiteral("2"), Qt::DescendingOrder);
        QCOMPARE(lines.Value(0, QStringLiteral("2")).toInt(), n);
        QCOMPARE(lines.Value(Dataset::BlockSize() * 3 + 5, QStringLiteral("a")).toString(),
                 QStringLiteral("品%1").arg(n - Dataset::BlockSize() * 3 - 5));
        QCOMPARE(lines.Value(lines.RecordCount() - 1, QStringLiteral("2")).toInt(), 2);

        // A limited statement keeps its order and its limit in the count.
        lines.Open(QStringLiteral("select * from data1 order by \"2\" desc limit 300"));
        QCOMPARE(lines.RecordCount(), 300);
        QCOMPARE(lines.Value(299, QStringLiteral("2")).toInt(), n - 299);

        // A small result is counted from its only block.
        lines.Open(QStringLiteral("select * from data1 where \"2\" <= ?"), {3});
        QCOMPARE(lines.RecordCount(), 3);
    }

    void sortIsStableAndReversible()
    {
        addLines({5, 3, 5, 1, 3});
        Dataset &lines = *m_dm->ADOQuery13;
        lines.Open(QStringLiteral("select * from data1"));
        lines.SetCurrentRow(1); // ID 2
        lines.Sort(QStringLiteral("2"), Qt::DescendingOrder);
        QCOMPARE(rowIds(lines), QList<qint64>({1, 3, 2, 5, 4}));
        QCOMPARE(lines.Field(QStringLiteral("ID")).toInt(), 2); // the current record stays
        lines.Sort(QStringLiteral("2"), Qt::AscendingOrder);
        QCOMPARE(rowIds(lines), QList<qint64>({4, 2, 5, 1, 3}));
        lines.Sort(QString(), Qt::AscendingOrder);
        QCOMPARE(rowIds(lines), QList<qint64>({1, 2, 3, 4, 5}));
    }

    // Sums are the engine's over the whole statement and follow edits and deletions,
    // including rows in blocks that were never read.
    void sumsFollowEditsAndDeletions()
    {
        addLines({5, 3, 5, 1, 3});
        Dataset &lines = *m_dm->ADOQuery13;
        lines.RequestSums({QStringLiteral("2")});
        lines.Open(QStringLiteral("select * from data1 where \"2\" > ?"), {1});
        QVERIFY(lines.SumsReady());
        QCOMPARE(lines.Sum(QStringLiteral("2")), 16.0);
        lines.Post(0, {{QStringLiteral("2"), 10.0}});
        QCOMPARE(lines.Sum(QStringLiteral("2")), 21.0);
        QCOMPARE(lines.Value(0, QStringLiteral("2")).toDouble(), 10.0);
        lines.DeleteRow(1);
        QCOMPARE(lines.RecordCount(), 3);
        QCOMPARE(lines.Sum(QStringLiteral("2")), 18.0);
        QCOMPARE(rowIds(lines), QList<qint64>({1, 3, 5}));
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data1")).toInt(), 4);
    }

    // A small result is summed from the rows it holds, as the engine would sum them: texts
    // by their leading number, nulls as nothing, and edits as they were written.
    void heldRowsSumAsTheEngineDoes()
    {
        const QVariantList amounts = {2.5,
                                      QVariant(),
                                      QStringLiteral("12abc"),
                                      QStringLiteral("abc"),
                                      4,
                                      QStringLiteral(" 3 "),
                                      QStringLiteral("1e2"),
                                      QStringLiteral("-.5x")};
        Db::Transaction transaction;
        for (const QVariant &amount : amounts)
            Db::InsertRow(QStringLiteral("data1"), {{QStringLiteral("2"), amount}});
        transaction.Commit();
        const auto engineSum = [] {
            return Db::Scalar(QStringLiteral("select coalesce(sum(\"2\"), 0) from data1"))
                .toDouble();
        };
        Dataset &lines = *m_dm->ADOQuery13;
        lines.RequestSums({QStringLiteral("2")});
        lines.Open(QStringLiteral("select * from data1"));
        QVERIFY(lines.SumsReady());
        QCOMPARE(lines.Sum(QStringLiteral("2")), engineSum());
        lines.Post(1, {{QStringLiteral("2"), QStringLiteral("7.25")}});
        lines.Post(3, {{QStringLiteral("2"), QStringLiteral("x")}});
        QCOMPARE(lines.Sum(QStringLiteral("2")), engineSum());
        lines.DeleteRow(0);
        QCOMPARE(lines.Sum(QStringLiteral("2")), engineSum());
    }

    void deletionMovesLaterBlocksUp()
    {
        const int n = Dataset::BlockSize() * 2 + 3;
        addManyLines(n);
        Dataset &lines = *m_dm->ADOTable2;
        lines.Open(QStringLiteral("select * from data1"));
        QCOMPARE(lines.Value(Dataset::BlockSize(), QStringLiteral("ID")).toInt(),
                 Dataset::BlockSize() + 1);
        lines.DeleteRow(Dataset::BlockSize() - 1); // last row of the first block
        QCOMPARE(lines.RecordCount(), n - 1);
        QCOMPARE(lines.Value(Dataset::BlockSize() - 1, QStringLiteral("ID")).toInt(),
                 Dataset::BlockSize() + 1);
        QCOMPARE(lines.Value(n - 2, QStringLiteral("ID")).toInt(), n);
    }

    // Over a large result the sums are computed aside: the rows are there at once and
    // the sums follow with a signal.
    void largeSumsFollowTheRows()
    {
        const int n = Dataset::SmallResult() + 1;
        addManyLines(n);
        Dataset &lines = *m_dm->ADOTable2;
        lines.RequestSums({QStringLiteral("2"), QStringLiteral("6")});
        lines.Open(QStringLiteral("select * from data1"));
        QCOMPARE(lines.RecordCount(), n);
        QVERIFY(!lines.SumsReady());
        QTRY_VERIFY(lines.SumsReady());
        QCOMPARE(lines.Sum(QStringLiteral("2")), double(n) * (n + 1) / 2);
        QCOMPARE(lines.Sum(QStringLiteral("6")), n * 0.5);
        lines.DeleteRow(0);
        lines.WaitForSums();
        QVERIFY(lines.SumsReady());
        QCOMPARE(lines.Sum(QStringLiteral("2")), double(n) * (n + 1) / 2 - 1);
    }

    // Work aside ends as soon as it is no longer wanted (a newer keystroke re-ran the
    // statement), instead of holding a processor for a result that would be dropped.
    void workAsideStopsWhenNoLongerWanted()
    {
        const QString path = m_dir->filePath(QStringLiteral("data.db"));
        // Counting to a hundred million would take the engine many seconds.
        const QString endless = QStringLiteral(
            "with recursive r(x) as (select 1 union all select x + 1 from r where x < 100000000) "
            "select count(*) from r");
        int asked = 0;
        QVERIFY_THROWS_EXCEPTION(
            DbError, Db::FirstRowAside(path, endless, {}, [&asked] { return ++asked > 3; }));
        QCOMPARE(asked, 4);
        QCOMPARE(Db::FirstRowAside(path, QStringLiteral("select count(*) from data1"), {},
                                   [] { return false; }),
                 QVariantList{0});
    }

    // Work aside binds and reads values as the program's connection does, so a count or a
    // sum computed aside agrees with one computed at once; a checkpoint aside copies the log.
    void workAsideSeesTheSameValues()
    {
        const QString path = m_dir->filePath(QStringLiteral("data.db"));
        const QVariantList values = {QStringLiteral("5'寸 𠀀"), 42, qlonglong(1) << 40, 2.5,
                                     QVariant(), QByteArray("\x01\x00\x02", 3), true,
                                     QDate(2026, 12, 11),
                                     // Null texts and invalid dates are nulls on both.
                                     QString(), QByteArray(), QDate(), QDateTime()};
        const QString sql = QStringLiteral("select typeof(x), x from (select ? as x)");
        for (const QVariant &value : values) {
            QSqlQuery here = Db::Run(sql, {value});
            QVERIFY(here.next());
            const QVariantList aside = Db::FirstRowAside(path, sql, {value});
            QCOMPARE(aside.size(), 2);
            QCOMPARE(aside[0].toString(), here.value(0).toString());
            QCOMPARE(aside[1].isNull(), here.value(1).isNull());
            QCOMPARE(aside[1].toString(), here.value(1).toString());
        }
        addLines({1, 2});
        const QVariantList checkpoint =
            Db::FirstRowAside(path, QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"), {});
        QCOMPARE(checkpoint.size(), 3);
        QCOMPARE(checkpoint[0].toInt(), 0);
        QVERIFY(checkpoint[1].toInt() > 0);
        QCOMPARE(checkpoint[2], checkpoint[1]);
    }

    // A grid that counts aside shows its first block at once and grows to the exact count
    // when it is in; Last() then goes to the real last row. Others count before Open
    // returns, and so does a grid inside a transaction (its rows are this connection's).
    void countFollowsTheFirstBlock()
    {
        addManyLines(1000);
        Dataset &lines = *m_dm->ADOQuery13;
        QSignalSpy counted(&lines, &Dataset::CountChanged);
        QSignalSpy inserted(&lines, &QAbstractItemModel::rowsInserted);
        lines.Open(QStringLiteral("select * from data1"));
        QVERIFY(!lines.CountReady());
        QCOMPARE(lines.RecordCount(), Dataset::BlockSize());
        lines.Last();
        QTRY_VERIFY(lines.CountReady());
        QCOMPARE(counted.count(), 1);
        QCOMPARE(lines.RecordCount(), 1000);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), Dataset::BlockSize());
        QCOMPARE(inserted.first().at(2).toInt(), 999);
        QCOMPARE(lines.CurrentRow(), 999);
        QCOMPARE(lines.Field(QStringLiteral("2")).toInt(), 1000);

        Dataset &exact = *m_dm->ADOTable2;
        exact.Open(QStringLiteral("select * from data1"));
        QVERIFY(exact.CountReady());
        QCOMPARE(exact.RecordCount(), 1000);
        {
            Db::Transaction transaction;
            lines.Open(QStringLiteral("select * from data1 where \"2\" > 100"));
            QVERIFY(lines.CountReady());
            QCOMPARE(lines.RecordCount(), 900);
        }
    }

    // A new Open drops the count of the statement before it, and a row edited or deleted
    // while counting is counted again, so the count is the statement's as it stands.
    void countFollowsReopenAndEdits()
    {
        addManyLines(1000);
        Dataset &lines = *m_dm->ADOQuery13;
        QSignalSpy inserted(&lines, &QAbstractItemModel::rowsInserted);
        lines.Open(QStringLiteral("select * from data1"));
        lines.Open(QStringLiteral("select * from data1 where \"2\" <= ?"), {600});
        lines.WaitForCount();
        QCOMPARE(lines.RecordCount(), 600);
        for (const QList<QVariant> &args : std::as_const(inserted))
            QVERIFY(args.at(2).toInt() < 600);

        lines.Open(QStringLiteral("select * from data1 where \"2\" <= ?"), {600});
        lines.Post(0, {{QStringLiteral("2"), 5000}}); // no longer in the statement
        lines.DeleteRow(1);
        QCOMPARE(lines.RecordCount(), Dataset::BlockSize() - 1);
        lines.WaitForCount();
        QCOMPARE(lines.RecordCount(), 598);
        QCOMPARE(lines.Value(597, QStringLiteral("2")).toInt(), 600);

        // Closing drops an unfinished count too.
        lines.Open(QStringLiteral("select * from data1"));
        lines.Close();
        QVERIFY(lines.CountReady());
        QTest::qWait(50);
        QCOMPARE(lines.RecordCount(), 0);
    }

    // Products have no key column: their datasets select the row identity and write
    // back through it.
    void productRowsCanBeEditedAndDeleted()
    {
        for (const char *code : {"A1", "B2", "C3"})
            Db::InsertRow(QStringLiteral("sp"),
                          {{QStringLiteral("商品编码"), QString::fromUtf8(code)},
                           {QStringLiteral("销售单价"), 2.0}});
        Dataset &products = *m_dm->ADOTable4;
        products.Open(QStringLiteral("select * from sp order by 商品编码 desc"));
        QCOMPARE(products.Value(0, QStringLiteral("商品编码")).toString(), QStringLiteral("C3"));
        products.Post(0, {{QStringLiteral("销售单价"), 3.5}});
        QCOMPARE(
            Db::Scalar(QStringLiteral("select 销售单价 from sp where 商品编码='C3'")).toDouble(),
            3.5);
        QCOMPARE(Db::Scalar(QStringLiteral("select sum(销售单价) from sp")).toDouble(), 7.5);
        products.DeleteRow(1);
        QCOMPARE(Db::Scalar(QStringLiteral("select group_concat(商品编码) from sp")).toString(),
                 QStringLiteral("A1,C3"));
        // A read-only list of products stays read-only.
        Dataset &lookup = *m_dm->ADOQuery5;
        lookup.Open();
        QVERIFY_THROWS_EXCEPTION(DbError, lookup.Post(0, {{QStringLiteral("销售单价"), 1.0}}));
    }

    // An inner transaction is a savepoint: its rollback undoes only its own work, and
    // the outer rollback undoes everything.
    void transactionsNest()
    {
        auto count = [] { return Db::Scalar(QStringLiteral("select count(*) from rz")).toInt(); };
        auto add = [] {
            Db::InsertRow(QStringLiteral("rz"),
                          {{QStringLiteral("username"), QStringLiteral("x")}});
        };
        {
            Db::Transaction outer;
            add();
            {
                Db::Transaction inner;
                add();
            } // not committed
            QCOMPARE(count(), 1);
            {
                Db::Transaction inner;
                add();
                inner.Commit();
            }
            QCOMPARE(count(), 2);
            outer.Commit();
        }
        QCOMPARE(count(), 2);
        {
            Db::Transaction outer;
            {
                Db::Transaction inner;
                add();
                inner.Commit();
            }
        } // outer not committed
        QCOMPARE(count(), 2);
        QVERIFY(!Db::InTransaction());
    }

    void readerReportsEngineErrors()
    {
        Dataset dataset(QStringLiteral("q"), QString(), QStringLiteral("select * from nosuch"));
        QVERIFY_THROWS_EXCEPTION(DbError, dataset.Reader());
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
