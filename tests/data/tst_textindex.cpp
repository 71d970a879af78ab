// The substring indexes: a filter read through an index lists exactly the rows, in the same
// order, that reading every row lists, and the indexes follow every change of their tables.

#include "data/db.h"
#include "data/dm.h"
#include "data/textindex.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestTextIndex : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tdmfm> m_dm;

    static QList<qint64> ids(const QString &sql, const QVariantList &params)
    {
        QList<qint64> result;
        QSqlQuery query = Db::Run(sql, params);
        while (query.next())
            result << query.value(0).toLongLong();
        return result;
    }

    // The IDs of the lines whose `column` contains `text`, read through the index when it
    // narrows, and read from every line.
    static QPair<QList<qint64>, QList<qint64>> lines(const QString &column, const QString &text)
    {
        QVariantList params;
        const QString from = TextIndex::From(QStringLiteral("data1"), {{column, text}}, &params);
        const QString pattern = QStringLiteral("%") + text + QStringLiteral("%");
        params << pattern;
        const QString condition = QStringLiteral(" where %1 like ?").arg(Db::Quote(column));
        return {ids(QStringLiteral("select data1.ID from ") + from + condition, params),
                ids(QStringLiteral("select ID from data1") + condition, {pattern})};
    }

    static void addLine(const QString &name, const QString &code, const QString &sale)
    {
        Db::InsertRow(QStringLiteral("data1"), {{QStringLiteral("a"), name},
                                                {QStringLiteral("c"), code},
                                                {QStringLiteral("h"), sale}});
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dm = std::make_unique<Tdmfm>(m_dir->filePath(QStringLiteral("data.db")));
        const QStringList names = {
            QStringLiteral("可口可乐500ml"),  QStringLiteral("百事可乐"),
            QStringLiteral("Coca-COLA Zero"), QStringLiteral("5'寸盘子"),
            QStringLiteral("été glacé"),      QStringLiteral("𠀀𠀁豆腐"),
            QStringLiteral("100% 果汁"),      QStringLiteral("可口可乐1.5L")};
        Db::Transaction transaction;
        for (qsizetype i = 0; i < names.size(); ++i)
            addLine(names[i], QStringLiteral("69200000%1").arg(i, 5, 10, QLatin1Char('0')),
                    QStringLiteral("CJG%1").arg(i / 2, 9, 10, QLatin1Char('0')));
        Db::InsertRow(QStringLiteral("data1"),
                      {{QStringLiteral("a"), QVariant()}, {QStringLiteral("c"), 692000000099LL}});
        transaction.Commit();
    }

    void cleanup()
    {
        m_dm.reset();
        m_dir.reset();
    }

    void narrowsOnlyTextsOfThreeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("narrows");
        QTest::newRow("two") << QStringLiteral("可乐") << false;
        QTest::newRow("three") << QStringLiteral("口可乐") << true;
        // Two characters outside the basic plane are four UTF-16 units.
        QTest::newRow("two wide characters") << QStringLiteral("𠀀𠀁") << false;
        QTest::newRow("percent") << QStringLiteral("100%") << false;
        QTest::newRow("underscore") << QStringLiteral("a_bc") << false;
        QTest::newRow("backslash") << QStringLiteral("a\\bc") << false;
        QTest::newRow("quote") << QStringLiteral("5'寸") << true;
    }

    void narrowsOnlyTextsOfThreeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(bool, narrows);
        QCOMPARE(TextIndex::Narrows(text), narrows);
        QVariantList params;
        const QString from =
            TextIndex::From(QStringLiteral("data1"), {{QStringLiteral("a"), text}}, &params);
        QCOMPARE(from != QStringLiteral("data1"), narrows);
        QCOMPARE(params.size(), narrows ? 1 : 0);
    }

    void listsWhatEveryRowWouldList_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");
        QTest::newRow("name") << "a" << QStringLiteral("口可乐") << 2;
        QTest::newRow("latin case") << "a" << QStringLiteral("cola") << 1;
        QTest::newRow("accents differ in case") << "a" << QStringLiteral("ÉTÉ") << 0;
        QTest::newRow("accents") << "a" << QStringLiteral("été") << 1;
        QTest::newRow("quote") << "a" << QStringLiteral("5'寸") << 1;
        QTest::newRow("wide characters") << "a" << QStringLiteral("𠀁豆腐") << 1;
        QTest::newRow("two wide characters") << "a" << QStringLiteral("𠀀𠀁") << 1;
        QTest::newRow("two characters") << "a" << QStringLiteral("可乐") << 3;
        QTest::newRow("code stored as a number") << "c" << QStringLiteral("00099") << 1;
        QTest::newRow("code") << "c" << QStringLiteral("0000000") << 9;
        QTest::newRow("sale number") << "h" << QStringLiteral("CJG000000003") << 2;
        QTest::newRow("nowhere") << "a" << QStringLiteral("不存在") << 0;
        QTest::newRow("whole text") << "a" << QStringLiteral("百事可乐") << 1;
        QTest::newRow("longer than any") << "a" << QStringLiteral("百事可乐百事可乐") << 0;
    }

    void listsWhatEveryRowWouldList()
    {
        QFETCH(QString, column);
        QFETCH(QString, text);
        QFETCH(int, found);
        const auto [indexed, scanned] = lines(column, text);
        QCOMPARE(indexed, scanned);
        QCOMPARE(scanned.size(), found);
    }

    // Inserts, updates and deletes reach the index, inside a transaction and rolled back.
    void followsEveryChange()
    {
        addLine(QStringLiteral("新到货物"), QStringLiteral("1"), QStringLiteral("S1"));
        QCOMPARE(lines(QStringLiteral("a"), QStringLiteral("到货物")).first.size(), 1);
        Db::Run(QStringLiteral("update data1 set a = '百事可乐2L' where a = '可口可乐500ml'"));
        QCOMPARE(lines(QStringLiteral("a"), QStringLiteral("口可乐")).first.size(), 1);
        QCOMPARE(lines(QStringLiteral("a"), QStringLiteral("事可乐")).first.size(), 2);
        // An update of other columns leaves the texts found.
        Db::Run(QStringLiteral("update data1 set \"6\" = 3"));
        QCOMPARE(lines(QStringLiteral("a"), QStringLiteral("事可乐")).first.size(), 2);
        Db::Run(QStringLiteral("delete from data1 where a like '百事%'"));
        QCOMPARE(lines(QStringLiteral("a"), QStringLiteral("事可乐")).first.size(), 0);
        {
            Db::Transaction transaction;
            addLine(QStringLiteral("撤销的商品"), QString(), QString());
            QCOMPARE(lines(QStringLiteral("a"), QStringLiteral("撤销的")).first.size(), 1);
        }
        QCOMPARE(lines(QStringLiteral("a"), QStringLiteral("撤销的")).first.size(), 0);
        for (const QString &text : {QStringLiteral("到货物"), QStringLiteral("可乐1"),
                                    QStringLiteral("cola"), QStringLiteral("000")}) {
            const auto [indexed, scanned] = lines(QStringLiteral("a"), text);
            QCOMPARE(indexed, scanned);
        }
        // The engine's own check of the index against the rows raises an error on a mismatch.
        Db::Run(QStringLiteral(
            "insert into data1_text (data1_text, rank) values ('integrity-check', 1)"));
    }

    // Of several filters the index narrows by the longest text it can, and every filter
    // still applies.
    void picksTheLongestTextItCanNarrow()
    {
        QVariantList params;
        TextIndex::From(QStringLiteral("data1"),
                        {{QStringLiteral("a"), QStringLiteral("可口可乐")},
                         {QStringLiteral("c"), QStringLiteral("6920000000")},
                         {QStringLiteral("z"), QStringLiteral("not indexed at all")}},
                        &params);
        QCOMPARE(params, QVariantList{QStringLiteral("%6920000000%")});
        params.clear();
        QCOMPARE(TextIndex::From(QStringLiteral("data"),
                                 {{QStringLiteral("a"), QStringLiteral("可口可乐")}}, &params),
                 QStringLiteral("data"));
        QVERIFY(params.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTextIndex)
#include "tst_textindex.moc"
