// The till's rules on a fresh database, without any window: adding and merging, changing
// and deleting lines, the settlement checks and what a settlement stores, the bounds of
// the numbers, and the sale number and its counter.

#include "checkout/till.h"
#include "data/appstate.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString Admin = QStringLiteral("超级管理员");
const QDate Day(2013, 9, 3);

void addProduct(const QString &code, const QVariant &purchase, const QVariant &sale,
                const QVariant &member)
{
    Db::InsertRow(QStringLiteral("sp"), {{QStringLiteral("商品编码"), code},
                                         {QStringLiteral("商品名称"), QStringLiteral("品") + code},
                                         {QStringLiteral("进货单价"), purchase},
                                         {QStringLiteral("销售单价"), sale},
                                         {QStringLiteral("会员价"), member},
                                         {QStringLiteral("单位"), QStringLiteral("个")}});
}

int rowsIn(const QString &table)
{
    return Db::Scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

// code, quantity, amount and profit of each cart line in entry order, as text.
QStringList cart()
{
    QStringList lines;
    QSqlQuery query =
        Db::Run(QStringLiteral("select c, \"2\", \"6\", \"7\" from data order by id"));
    while (query.next())
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(query.value(0).toString(), NumberText(query.value(1).toDouble()),
                          NumberText(query.value(2).toDouble()),
                          NumberText(query.value(3).toDouble()));
    return lines;
}

QStringList L(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

qint64 firstLineId()
{
    return Db::Scalar(QStringLiteral("select min(id) from data")).toLongLong();
}

} // namespace

class TestTill : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Till> m_till;

    Till &till() { return *m_till; }
    // A sale of 牛奶 A1 (12.5, bought at 10) and 面包 B2 (3.3, bought at 2): 15.80.
    void ringUpTwo()
    {
        QCOMPARE(till().AddByCode(QStringLiteral("A1"), 1), Till::AddResult::Added);
        QCOMPARE(till().AddByCode(QStringLiteral("B2"), 1), Till::AddResult::Added);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        dmfm = new Tdmfm(m_dir->filePath(QStringLiteral("data.db")));
        addProduct(QStringLiteral("A1"), 10, 12.5, 12);
        addProduct(QStringLiteral("B2"), 2, 3.3, 3);
        addProduct(QStringLiteral("Z0"), 0, 0, 0);
        m_till = std::make_unique<Till>();
        till().SetOperator(Admin);
        till().SetSaleDate(Day);
        till().SetToday(Day);
    }
    void cleanup()
    {
        m_till.reset();
        delete dmfm;
        dmfm = nullptr;
        m_dir.reset();
    }

    void addAndMerge_data()
    {
        QTest::addColumn<QStringList>("scans"); // "code quantity"
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("three scans, one line")
            << L({"A1 1", "A1 1", "A1 1"}) << L({"A1 3 37.5 7.5"});
        QTest::newRow("case and blanks merge")
            << L({"A1 1", " a1 2", "b2 1"}) << L({"A1 3 37.5 7.5", "B2 1 3.3 1.3"});
        // 3.3 * 3 is 9.899999... in binary; the line holds what its text shows.
        QTest::newRow("shown figures are stored")
            << L({"B2 3", "B2 0.5"}) << L({"B2 3.5 11.55 4.55"});
        QTest::newRow("unknown code adds nothing") << L({"X9 1"}) << QStringList{};
    }
    void addAndMerge()
    {
        QFETCH(QStringList, scans);
        QFETCH(QStringList, lines);
        for (const QString &scan : scans) {
            const QStringList parts = scan.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            till().AddByCode(scan.left(scan.lastIndexOf(QLatin1Char(' '))),
                             parts.last().toDouble());
        }
        QCOMPARE(cart(), lines);
        QSqlQuery stored = Db::Run(QStringLiteral("select h, i, z, day1, \"5\" from data"));
        while (stored.next()) {
            QCOMPARE(stored.value(0).toString(), QStringLiteral("CJG121122000002"));
            QCOMPARE(stored.value(1).toString(), Admin);
            QCOMPARE(stored.value(2).toString(), QStringLiteral("个"));
            QCOMPARE(stored.value(3).toString(), QStringLiteral("2013-09-03"));
            QCOMPARE(stored.value(4).toDouble(), 0.0);
        }
    }

    void incompleteProductIsRefused_data()
    {
        QTest::addColumn<QVariant>("purchase");
        QTest::addColumn<QVariant>("sale");
        QTest::addColumn<QVariant>("member");
        const QVariant none(QMetaType(QMetaType::Double));
        QTest::newRow("no sale price") << QVariant(1.0) << none << QVariant(1.0);
        QTest::newRow("no member price") << QVariant(1.0) << QVariant(2.0) << none;
        QTest::newRow("no purchase price") << none << QVariant(2.0) << QVariant(1.0);
        QTest::newRow("price text")
            << QVariant(1.0) << QVariant(QStringLiteral("abc")) << QVariant(1.0);
        QTest::newRow("negative price") << QVariant(1.0) << QVariant(-2.0) << QVariant(1.0);
    }
    void incompleteProductIsRefused()
    {
        QFETCH(QVariant, purchase);
        QFETCH(QVariant, sale);
        QFETCH(QVariant, member);
        addProduct(QStringLiteral("C3"), purchase, sale, member);
        QCOMPARE(till().AddByCode(QStringLiteral("C3"), 1), Till::AddResult::IncompletePrice);
        QCOMPARE(rowsIn(QStringLiteral("data")), 0);
    }

    void numberBounds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("quantity");
        QTest::addColumn<bool>("money");
        QTest::newRow("zero") << "0" << true << true;
        QTest::newRow("point five") << ".5" << true << true;
        QTest::newRow("quantity bound") << "99999" << true << true;
        QTest::newRow("above quantity bound") << "99999.01" << false << true;
        QTest::newRow("money bound") << "9999999.99" << false << true;
        QTest::newRow("above money bound") << "10000000" << false << false;
        QTest::newRow("huge") << "1000000000000000000000" << false << false;
        QTest::newRow("minus") << "-5" << false << false;
        QTest::newRow("minus zero") << "-0" << false << false;
        QTest::newRow("exponent") << "1.5e+21" << false << false;
        QTest::newRow("two points") << "50.5.5" << false << false;
        QTest::newRow("lone point") << "." << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void numberBounds()
    {
        QFETCH(QString, text);
        QFETCH(bool, quantity);
        QFETCH(bool, money);
        QCOMPARE(Till::ReadQuantity(text).has_value(), quantity);
        QCOMPARE(Till::ReadPrice(text).has_value(), money);
        QCOMPARE(Till::ReadCash(text).has_value(), money);
    }

    void largestFiguresReadBackFromTheirTexts()
    {
        addProduct(QStringLiteral("M9"), 0.01, Till::MaxMoney, Till::MaxMoney);
        QCOMPARE(till().AddByCode(QStringLiteral("M9"), Till::MaxQuantity), Till::AddResult::Added);
        const std::optional<Till::Line> line = till().CartLine(firstLineId());
        QVERIFY(line);
        for (double value : {line->amount, line->profit, line->quantity}) {
            double back = 0;
            QVERIFY2(ParseNumber(NumberText(value), &back), qPrintable(NumberText(value)));
            QCOMPARE(back, value);
        }
        // Growing the line past the quantity bound is refused and changes nothing.
        const QStringList before = cart();
        QCOMPARE(till().AddByCode(QStringLiteral("M9"), 1), Till::AddResult::OutOfBounds);
        QCOMPARE(cart(), before);
    }

    void modifyDeleteAndClear()
    {
        ringUpTwo();
        // A changed price stays on the line; a later scan adds at the catalogue price.
        QVERIFY(till().ModifyLine(firstLineId(), 11, 2));
        QCOMPARE(cart(), (L({"A1 2 22 2", "B2 1 3.3 1.3"})));
        till().AddByCode(QStringLiteral("A1"), 1);
        QCOMPARE(cart(), (L({"A1 3 34.5 4.5", "B2 1 3.3 1.3"})));
        const std::optional<Till::Line> line = till().CartLine(firstLineId());
        QCOMPARE(line->salePrice, 11.0);
        QCOMPARE(line->memberPrice, 12.0);

        CartTotals totals = till().Totals();
        QCOMPARE(totals.lines, 2);
        QCOMPARE(totals.AmountText(), QStringLiteral("37.80"));
        QCOMPARE(totals.QuantityText(), QStringLiteral("4"));
        QCOMPARE(NumberText(totals.profit), QStringLiteral("5.8"));

        till().DeleteLine(firstLineId());
        QCOMPARE(cart(), L({"B2 1 3.3 1.3"}));
        QVERIFY(!till().ModifyLine(firstLineId() - 1, 1, 1));
        till().ClearCart();
        QCOMPARE(till().Totals().lines, 0);
        QCOMPARE(till().Totals().AmountText(), QStringLiteral("0.00"));
    }

    void settlementRefusals_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("cash");
        QTest::addColumn<Till::Refusal>("refusal");
        QTest::newRow("empty cart") << QStringList{} << "100" << Till::Refusal::EmptyCart;
        QTest::newRow("zero total") << L({"Z0"}) << "100" << Till::Refusal::ZeroTotal;
        QTest::newRow("no cash") << L({"A1", "B2"}) << "" << Till::Refusal::NoCash;
        QTest::newRow("two points") << L({"A1", "B2"}) << "50.5.5" << Till::Refusal::BadCash;
        QTest::newRow("above bound") << L({"A1"}) << "10000000" << Till::Refusal::BadCash;
        QTest::newRow("short") << L({"A1", "B2"}) << "10" << Till::Refusal::ShortCash;
        QTest::newRow("a fen short") << L({"A1", "B2"}) << "15.79" << Till::Refusal::ShortCash;
        // The displayed change decides: less than half a fen short shows -0.00, i.e. 0.00.
        QTest::newRow("under half a fen") << L({"A1", "B2"}) << "15.796" << Till::Refusal::None;
    }
    void settlementRefusals()
    {
        QFETCH(QStringList, codes);
        QFETCH(QString, cash);
        QFETCH(Till::Refusal, refusal);
        for (const QString &code : codes)
            till().AddByCode(code, 1);
        QCOMPARE(till().CheckSettlement(cash), refusal);
        if (refusal == Till::Refusal::None)
            return;
        QCOMPARE(till().Settle(cash).refusal, refusal);
        QCOMPARE(rowsIn(QStringLiteral("data1")), 0);
        QCOMPARE(rowsIn(QStringLiteral("data3")), 0);
        QCOMPARE(rowsIn(QStringLiteral("app_state")), 0);
        QCOMPARE(rowsIn(QStringLiteral("data")), codes.size());
        QCOMPARE(till().SaleNumber(), QStringLiteral("CJG121122000002"));
        QCOMPARE(till().Counter(), 1);
    }

    void changeText_data()
    {
        QTest::addColumn<QString>("cash");
        QTest::addColumn<QString>("change");
        QTest::newRow("exact") << "15.80"
                               << "0.00";
        QTest::newRow("more") << "20"
                              << "4.20";
        QTest::newRow("less") << "15"
                              << "-0.80";
        QTest::newRow("two points") << "50.5.5"
                                    << "";
        QTest::newRow("leading point twice") << ".5.5"
                                             << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void changeText()
    {
        QFETCH(QString, cash);
        QFETCH(QString, change);
        QCOMPARE(Till::ChangeText(cash, 15.8), change);
    }

    void settlementStoresTheSaleInOneStep()
    {
        ringUpTwo();
        // A line left from an earlier sale number is archived under this sale's number.
        Db::Run(QStringLiteral("update data set h='CJG121121000001' where c='B2'"));
        const Till::Settlement settled = till().Settle(QStringLiteral("20"), QTime(9, 5, 7));
        QCOMPARE(settled.refusal, Till::Refusal::None);

        QSqlQuery summary = Db::Run(QStringLiteral(
            "select \"1\", \"2\", \"3\", \"4\", \"5\", \"6\", \"7\", day1, a, b from data3"));
        QVERIFY(summary.next());
        const QVariantList expected = {15.8, 15.8, 20.0, 4.2, 3.8, 0.0, 0.0};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(summary.value(i).toDouble(), expected[i].toDouble());
        QCOMPARE(summary.value(7).toString(), QStringLiteral("2013-09-03"));
        QCOMPARE(summary.value(8).toString(), QStringLiteral("CJG121122000002"));
        QCOMPARE(summary.value(9).toString(), Admin);
        QVERIFY(!summary.next());

        QSqlQuery lines =
            Db::Run(QStringLiteral("select c, h, \"2\", \"6\" from data1 order by ID"));
        QStringList archived;
        while (lines.next())
            archived << lines.value(0).toString() + QLatin1Char(' ') + lines.value(1).toString();
        QCOMPARE(archived, (L({"A1 CJG121122000002", "B2 CJG121122000002"})));
        QCOMPARE(rowsIn(QStringLiteral("data")), 0);

        const ReceiptData &receipt = settled.receipt;
        QCOMPARE(receipt.saleNumber, QStringLiteral("CJG121122000002"));
        QCOMPARE(receipt.total, QStringLiteral("15.80"));
        QCOMPARE(receipt.received, QStringLiteral("15.80"));
        QCOMPARE(receipt.cash, 20.0);
        QCOMPARE(receipt.change, 4.2);
        QCOMPARE(receipt.lines.size(), 2);
        QCOMPARE(receipt.lines[1].name, QStringLiteral("品B2"));
        QVERIFY(!receipt.reprint);

        // The next number is made from today's date and the advanced counter.
        QCOMPARE(till().SaleNumber(), QStringLiteral("CJG1393000002 "));
        QCOMPARE(till().Counter(), 2);
        QCOMPARE(AppState::Value(QStringLiteral("sale_counter")), QStringLiteral("2"));
        QCOMPARE(AppState::Value(QStringLiteral("sale_number")), QStringLiteral("CJG1393000002 "));

        // The second sale carries the number the first one left.
        till().AddByCode(QStringLiteral("A1"), 1);
        QCOMPARE(till().Settle(QStringLiteral("12.5")).receipt.saleNumber,
                 QStringLiteral("CJG1393000002 "));
        QCOMPARE(till().SaleNumber(), QStringLiteral("CJG1393000003 "));
    }

    // A till left running past midnight stores and prints its sales under the day they are
    // settled; a clock set back keeps the day the window was shown.
    void saleDateFollowsTheCalendarPastMidnight()
    {
        // Rung up before midnight, settled after: the whole sale falls on the new day.
        ringUpTwo();
        till().SetToday(Day.addDays(1));
        const Till::Settlement settled = till().Settle(QStringLiteral("20"));
        QCOMPARE(settled.refusal, Till::Refusal::None);
        const QString nextDay = DateText(Day.addDays(1));
        QCOMPARE(settled.receipt.saleDate, nextDay);
        QCOMPARE(
            Db::Scalar(QStringLiteral("select group_concat(distinct day1) from data1")).toString(),
            nextDay);
        QCOMPARE(Db::Scalar(QStringLiteral("select day1 from data3")).toString(), nextDay);
        till().SetToday(Day.addDays(-1));
        QCOMPARE(till().SaleDate(), Day);
    }

    void failedStepStoresNothing()
    {
        ringUpTwo();
        // A summary table that refuses the row: the archive rows go with it.
        Db::Run(QStringLiteral("create trigger refuse before insert on data3 begin "
                               "select raise(abort, 'disk full'); end"));
        QVERIFY_THROWS_EXCEPTION(DbError, till().Settle(QStringLiteral("20")));
        QCOMPARE(rowsIn(QStringLiteral("data1")), 0);
        QCOMPARE(rowsIn(QStringLiteral("data")), 2);
        QCOMPARE(rowsIn(QStringLiteral("app_state")), 0);
        QCOMPARE(till().Counter(), 1);
    }

    void advanceSkipsStoredNumbers()
    {
        // Numbers 2 and 3 of today are already in the archive (say from a restored file).
        for (const char *number : {"CJG1393000002", "CJG1393000003", "CJG121122000002"})
            Db::InsertRow(QStringLiteral("data3"),
                          {{QStringLiteral("a"), QString::fromLatin1(number)}});
        till().AddByCode(QStringLiteral("A1"), 1);
        // The current number is stored already: this sale takes the first free one.
        QCOMPARE(till().Settle(QStringLiteral("20")).receipt.saleNumber,
                 QStringLiteral("CJG1393000004 "));
        QCOMPARE(till().SaleNumber(), QStringLiteral("CJG1393000005 "));
        QCOMPARE(till().Counter(), 5);
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data3 group by a order by 1 desc "
                                           "limit 1"))
                     .toInt(),
                 1);
    }

    void restoreCounter_data()
    {
        QTest::addColumn<QString>("iniNumber");
        QTest::addColumn<QString>("iniCounter");
        QTest::addColumn<QString>("dbCounter"); // empty: none stored
        QTest::addColumn<QString>("number");
        QTest::addColumn<qint64>("counter");
        QTest::newRow("file only") << "CJG1393000007 "
                                   << "7"
                                   << ""
                                   << "CJG1393000007 " << qint64(7);
        QTest::newRow("file ahead") << "CJG1393000009 "
                                    << "9"
                                    << "5"
                                    << "CJG1393000009 " << qint64(9);
        QTest::newRow("file behind") << "CJG1393000003 "
                                     << "3"
                                     << "5"
                                     << "DB " << qint64(5);
        QTest::newRow("counter not a number") << "CJG1393000009 "
                                              << "abc"
                                              << "5"
                                              << "DB " << qint64(5);
        QTest::newRow("counter negative") << "X"
                                          << "-4"
                                          << "5"
                                          << "DB " << qint64(5);
        QTest::newRow("counter empty") << "X"
                                       << ""
                                       << "5"
                                       << "DB " << qint64(5);
        QTest::newRow("unreadable, nothing stored") << "X"
                                                    << "1x"
                                                    << ""
                                                    << "CJG121122000002" << qint64(1);
    }
    void restoreCounter()
    {
        QFETCH(QString, iniNumber);
        QFETCH(QString, iniCounter);
        QFETCH(QString, dbCounter);
        QFETCH(QString, number);
        QFETCH(qint64, counter);
        if (!dbCounter.isEmpty()) {
            AppState::SetValue(QStringLiteral("sale_counter"), dbCounter);
            AppState::SetValue(QStringLiteral("sale_number"), QStringLiteral("DB "));
        }
        till().RestoreCounter(iniNumber, iniCounter);
        QCOMPARE(till().SaleNumber(), number);
        QCOMPARE(till().Counter(), counter);
    }

    void reprintReadsTheArchiveAndStoresNothing()
    {
        QVERIFY(!till().LastSaleReceipt());
        ringUpTwo();
        till().Settle(QStringLiteral("100"), QTime(9, 5, 7));
        till().AddByCode(QStringLiteral("B2"), 2);
        const ReceiptData last = till().Settle(QStringLiteral("7"), QTime(9, 6, 0)).receipt;
        till().AddByCode(QStringLiteral("A1"), 1); // an open cart is not the last sale

        const auto counts = [] {
            QList<int> n;
            for (const char *table : {"data", "data1", "data3", "app_state"})
                n << rowsIn(QString::fromLatin1(table));
            return n;
        };
        const QList<int> before = counts();
        const std::optional<ReceiptData> again = till().LastSaleReceipt(QTime(10, 0, 0));
        QVERIFY(again);
        QCOMPARE(counts(), before);
        QVERIFY(again->reprint);
        QCOMPARE(again->saleNumber, last.saleNumber);
        QCOMPARE(again->cashier, last.cashier);
        QCOMPARE(again->saleDate, last.saleDate);
        QCOMPARE(again->total, QStringLiteral("6.60"));
        QCOMPARE(again->received, last.received);
        QCOMPARE(again->cash, 7.0);
        QCOMPARE(again->change, 0.4);
        QCOMPARE(again->lines.size(), 1);
        QCOMPARE(again->lines[0].name, QStringLiteral("品B2"));
        QCOMPARE(again->lines[0].quantity, 2.0);
        QCOMPARE(again->lines[0].amount, 6.6);
    }
};

QTEST_GUILESS_MAIN(TestTill)
#include "tst_till.moc"
