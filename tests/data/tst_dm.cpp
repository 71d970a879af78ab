// The database file, its schema and upgrades, and the data module's datasets.

#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestDm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tdmfm> m_dm;

    QString path() const { return m_dir->filePath(QStringLiteral("data.db")); }

    // Column name -> declared type, in table order.
    static QList<QPair<QString, QString>> columns(const QString &table)
    {
        QList<QPair<QString, QString>> result;
        QSqlQuery q =
            Db::Run(QStringLiteral("select name, type from pragma_table_info(?)"), {table});
        while (q.next())
            result << qMakePair(q.value(0).toString(), q.value(1).toString());
        return result;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dm = std::make_unique<Tdmfm>(path());
    }

    void cleanup()
    {
        m_dm.reset();
        m_dir.reset();
    }

    void newFileHasEveryTableAndColumn_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("expected"); // name:type pairs in order

        QTest::newRow("sp")
            << "sp"
            << "商品编码:VARCHAR(255) 商品类别:VARCHAR(255) 商品名称:VARCHAR(255) "
               "规格型号:VARCHAR(255) 进货单价:DOUBLE 销售单价:DOUBLE 会员价:DOUBLE "
               "单位:VARCHAR(255) 供货商:VARCHAR(255) ghspy:VARCHAR(255) "
               "sppy:VARCHAR(255) lbpy:VARCHAR(255)";
        QTest::newRow("data")
            << "data"
            << "id:INTEGER a:VARCHAR(255) b:VARCHAR(255) c:VARCHAR(255) d:VARCHAR(20) "
               "e:VARCHAR(255) f:VARCHAR(255) g:VARCHAR(20) h:VARCHAR(20) i:VARCHAR(20) "
               "z:VARCHAR(20) 1:DOUBLE 2:DOUBLE 3:DOUBLE 4:DOUBLE 5:DOUBLE 6:DOUBLE 7:DOUBLE "
               "8:DOUBLE 9:DOUBLE day1:DATE day6:DATE";
        QString data1 = QStringLiteral("ID:INTEGER");
        QString data3 = QStringLiteral("ID:INTEGER");
        for (char c = 'a'; c <= 'z'; ++c) {
            data1 += QStringLiteral(" %1:VARCHAR(20)").arg(QLatin1Char(c));
            data3 += QStringLiteral(" %1:VARCHAR(20)").arg(QLatin1Char(c));
        }
        for (int n = 1; n <= 9; ++n) {
            data1 += QStringLiteral(" %1:DOUBLE").arg(n);
            data3 += QStringLiteral(" %1:DOUBLE").arg(n);
        }
        for (int n = 1; n <= 6; ++n) {
            data1 += QStringLiteral(" day%1:DATE").arg(n);
            data3 += QStringLiteral(" day%1:DATE").arg(n);
        }
        data1 += QStringLiteral(" a5:INTEGER");
        data3 += QStringLiteral(" rz_id:INTEGER");
        QTest::newRow("data1") << "data1" << data1;
        QTest::newRow("data3") << "data3" << data3;
        QTest::newRow("userdb") << "userdb"
                                << "username:VARCHAR(50) passwd:VARCHAR(50)";
        QTest::newRow("rz") << "rz"
                            << "id:INTEGER username:VARCHAR(50) btime:DATETIME jtime:DATETIME";
        QTest::newRow("held") << "held"
                              << "id:INTEGER no:INTEGER operator:VARCHAR(50) time:DATETIME";
        QTest::newRow("held_lines")
            << "held_lines"
            << "id:INTEGER held:INTEGER a:VARCHAR(255) b:VARCHAR(255) c:VARCHAR(255) "
               "d:VARCHAR(20) e:VARCHAR(255) f:VARCHAR(255) g:VARCHAR(20) h:VARCHAR(20) "
               "i:VARCHAR(20) z:VARCHAR(20) 1:DOUBLE 2:DOUBLE 3:DOUBLE 4:DOUBLE 5:DOUBLE "
               "6:DOUBLE 7:DOUBLE 8:DOUBLE 9:DOUBLE day1:DATE day6:DATE";
    }

    void newFileHasEveryTableAndColumn()
    {
        QFETCH(QString, table);
        QFETCH(QString, expected);
        QStringList actual;
        for (const auto &[name, type] : columns(table))
            actual << name + QLatin1Char(':') + type;
        QCOMPARE(actual.join(QLatin1Char(' ')), expected);
    }

    void newFileHoldsTheAdministratorAndVersion()
    {
        QSqlQuery q = Db::Run(QStringLiteral("select username, passwd from userdb"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("超级管理员"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("123"));
        QVERIFY(!q.next());
        QCOMPARE(Db::Scalar(QStringLiteral("PRAGMA user_version")).toInt(), Tdmfm::SchemaVersion());
        QCOMPARE(Db::Scalar(QStringLiteral("PRAGMA journal_mode")).toString(),
                 QStringLiteral("wal"));
        // A transaction's commit is synced (FULL); single statements are not waited for.
        QCOMPARE(Db::Scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 1); // NORMAL
        {
            Db::Transaction transaction;
            QCOMPARE(Db::Scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2); // FULL
            transaction.Commit();
        }
        QCOMPARE(Db::Scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 1);
        QCOMPARE(Db::Scalar(QStringLiteral("PRAGMA wal_autocheckpoint")).toInt(), 0);
        for (const char *table : {"sp", "data", "data1", "data3", "rz"})
            QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table)))
                         .toInt(),
                     0);
    }

    void codesAndNamesCompareWithoutLatinCase()
    {
        Db::InsertRow(QStringLiteral("sp"), {{QStringLiteral("商品编码"), QStringLiteral("ABC")}});
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from sp where 商品编码=?"),
                            {QStringLiteral("abc")})
                     .toInt(),
                 1);
        // The lookup on the code uses its index.
        QSqlQuery q =
            Db::Run(QStringLiteral("explain query plan select * from sp where 商品编码=?"),
                    {QStringLiteral("x")});
        QVERIFY(q.next());
        QVERIFY2(q.value(3).toString().contains(QStringLiteral("sp_code")),
                 qPrintable(q.value(3).toString()));
    }

    void reopeningKeepsTheDataAndDoesNotRecreate()
    {
        Db::InsertRow(QStringLiteral("rz"), {{QStringLiteral("username"), QStringLiteral("x")}});
        m_dm.reset();
        m_dm = std::make_unique<Tdmfm>(path());
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from rz")).toInt(), 1);
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
    }

    // A file of version 1 gets the lookup indexes it lacks and the current version.
    void upgradeAddsLookupIndexes()
    {
        Db::Run(QStringLiteral("drop index data1_code"));
        Db::Run(QStringLiteral("drop index data3_day"));
        Db::Run(QStringLiteral("drop index data1_day"));
        Db::Run(QStringLiteral("create index data1_day on data1 (day1)"));
        Db::SetUserVersion(1);
        m_dm.reset();
        m_dm = std::make_unique<Tdmfm>(path());
        QCOMPARE(Db::UserVersion(), Tdmfm::SchemaVersion());
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from sqlite_master where type='index' "
                                           "and name in ('data1_code', 'data3_day')"))
                     .toInt(),
                 2);
        // The date index of the sale lines also holds the summed columns.
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from pragma_index_info('data1_day')"))
                     .toInt(),
                 4);
    }

    // A file of version 2 gets the held sales and the session of each summary, and keeps
    // its sales.
    void upgradeAddsHeldSalesAndSessions()
    {
        Db::Run(QStringLiteral("drop table held"));
        Db::Run(QStringLiteral("drop table held_lines"));
        Db::Run(QStringLiteral("drop index data3_session"));
        Db::Run(QStringLiteral("alter table data3 drop column rz_id"));
        Db::InsertRow(QStringLiteral("data3"), {{QStringLiteral("a"), QStringLiteral("S1")}});
        Db::SetUserVersion(2);
        m_dm.reset();
        m_dm = std::make_unique<Tdmfm>(path());
        QCOMPARE(Db::UserVersion(), Tdmfm::SchemaVersion());
        QVERIFY(Db::HasColumn(QStringLiteral("data3"), QStringLiteral("rz_id")));
        QCOMPARE(Db::Scalar(QStringLiteral("select a from data3 where rz_id is null")).toString(),
                 QStringLiteral("S1"));
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from held, held_lines")).toInt(), 0);
    }

    // A file of version 3 gets the substring indexes, holding the rows already there.
    void upgradeIndexesTheTextsAlreadyThere()
    {
        for (const QString &index : {QStringLiteral("sp_text"), QStringLiteral("data1_text"),
                                     QStringLiteral("data3_text")}) {
            for (const QString &change :
                 {QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete")})
                Db::Run(QStringLiteral("drop trigger %1_%2").arg(index, change));
            Db::Run(QStringLiteral("drop table %1").arg(index));
        }
        Db::InsertRow(QStringLiteral("sp"),
                      {{QStringLiteral("商品名称"), QStringLiteral("可口可乐")}});
        Db::InsertRow(QStringLiteral("data1"), {{QStringLiteral("h"), QStringLiteral("CJG0042")}});
        Db::InsertRow(QStringLiteral("data3"), {{QStringLiteral("a"), QStringLiteral("CJG0042")}});
        Db::SetUserVersion(3);
        m_dm.reset();
        m_dm = std::make_unique<Tdmfm>(path());
        QCOMPARE(Db::UserVersion(), Tdmfm::SchemaVersion());
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from sp_text where 商品名称 like "
                                           "'%口可乐%'"))
                     .toInt(),
                 1);
        QCOMPARE(
            Db::Scalar(QStringLiteral("select count(*) from data1_text where h like '%G0042%'"))
                .toInt(),
            1);
        QCOMPARE(
            Db::Scalar(QStringLiteral("select count(*) from data3_text where a like '%G0042%'"))
                .toInt(),
            1);
        // New rows reach the index too.
        Db::InsertRow(QStringLiteral("sp"),
                      {{QStringLiteral("商品名称"), QStringLiteral("百事可乐")}});
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from sp_text where 商品名称 like "
                                           "'%事可乐%'"))
                     .toInt(),
                 1);
    }

    void refusesFilesItCannotUse_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("newer program") << "PRAGMA user_version = 99"
                                       << "更新版本";
        QTest::newRow("foreign file") << "create table other(x)"
                                      << "不是本程序";
    }

    void refusesFilesItCannotUse()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        m_dm.reset();
        const QString other = m_dir->filePath(QStringLiteral("other.db"));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            db.setDatabaseName(other);
            QVERIFY(db.open());
            if (setup.startsWith(QStringLiteral("PRAGMA"))) {
                QVERIFY(QSqlQuery(db).exec(QStringLiteral("create table sp(x)")));
            }
            QVERIFY(QSqlQuery(db).exec(setup));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        try {
            Tdmfm dm(other);
            QFAIL("the file was accepted");
        } catch (const DbError &error) {
            QVERIFY2(error.Message().contains(message), qPrintable(error.Message()));
        }
    }

    void engineErrorsThrowAndTransactionsRollBack()
    {
        QVERIFY_THROWS_EXCEPTION(DbError, Db::Run(QStringLiteral("select * from nosuchtable")));
        try {
            Db::Transaction transaction;
            Db::InsertRow(QStringLiteral("rz"),
                          {{QStringLiteral("username"), QStringLiteral("a")}});
            Db::Run(QStringLiteral("insert into nosuchtable values (1)"));
            transaction.Commit();
        } catch (const DbError &) {
        }
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from rz")).toInt(), 0);
    }

    void valuesWithQuotesAreStoredAsTyped()
    {
        const QString name = QStringLiteral("5'寸 \"显示器\" '); drop table sp; --");
        Db::InsertRow(QStringLiteral("sp"), {{QStringLiteral("商品名称"), name}});
        QCOMPARE(Db::Scalar(QStringLiteral("select 商品名称 from sp where 商品名称=?"), {name})
                     .toString(),
                 name);
    }

    void datasetSortsStablyAndRestoresFetchOrder()
    {
        const QList<QPair<QString, double>> rows = {
            {QStringLiteral("b"), 2}, {QStringLiteral("a"), 10}, {QStringLiteral("c"), 2}};
        for (const auto &[code, qty] : rows)
            Db::InsertRow(QStringLiteral("data"),
                          {{QStringLiteral("c"), code}, {QStringLiteral("2"), qty}});
        Dataset &cart = *m_dm->ADOQuery15;
        cart.Open(QStringLiteral("select * from data order by id"));
        QCOMPARE(cart.RecordCount(), 3);
        const auto codes = [&] {
            QString s;
            for (int r = 0; r < cart.RecordCount(); ++r)
                s += cart.Value(r, QStringLiteral("c")).toString();
            return s;
        };
        cart.SetCurrentRow(2); // c
        cart.Sort(QStringLiteral("2"), Qt::DescendingOrder);
        QCOMPARE(codes(), QStringLiteral("abc")); // 10 first; equal 2s keep b before c
        QCOMPARE(cart.Field(QStringLiteral("c")).toString(), QStringLiteral("c"));
        cart.Sort(QStringLiteral("2"), Qt::AscendingOrder);
        QCOMPARE(codes(), QStringLiteral("bca"));
        cart.Sort(QString(), Qt::AscendingOrder);
        QCOMPARE(codes(), QStringLiteral("bac"));
    }

    void datasetEditsAndDeletesByKey()
    {
        for (const char *code : {"x", "y"})
            Db::InsertRow(QStringLiteral("data"), {{QStringLiteral("c"), QLatin1String(code)}});
        Dataset &cart = *m_dm->ADOQuery15;
        cart.Open(QStringLiteral("select * from data order by id"));
        cart.Sort(QStringLiteral("c"), Qt::DescendingOrder); // y, x
        cart.Post(0, {{QStringLiteral("2"), 4.5}});
        QCOMPARE(Db::Scalar(QStringLiteral("select \"2\" from data where c='y'")).toDouble(), 4.5);
        QCOMPARE(cart.Value(0, QStringLiteral("2")).toDouble(), 4.5);
        cart.DeleteRow(1);
        QCOMPARE(Db::Scalar(QStringLiteral("select group_concat(c) from data")).toString(),
                 QStringLiteral("y"));
        QCOMPARE(cart.RecordCount(), 1);
        // A result without a base table cannot be edited.
        Db::InsertRow(QStringLiteral("sp"), {{QStringLiteral("商品编码"), QStringLiteral("1")}});
        m_dm->ADOQuery5->Open();
        QVERIFY_THROWS_EXCEPTION(DbError, m_dm->ADOQuery5->DeleteRow(0));
    }
};

QTEST_GUILESS_MAIN(TestDm)
#include "tst_dm.moc"
