// The till's day at the counter, without windows: holding and recalling a cart, returns
// against a settled sale, and the shift report of a login session.

#include "checkout/shift.h"
#include "checkout/till.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString Admin = QStringLiteral("超级管理员");
const QDate Day(2013, 9, 3);
const QDateTime Noon(Day, QTime(12, 0, 0));

void addProduct(const QString &code, double purchase, double sale, double member)
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

// "code quantity amount profit" of each row a statement returns, in its order.
QStringList lines(const QString &sql, const QVariantList &params = {})
{
    QStringList list;
    QSqlQuery query = Db::Run(sql, params);
    while (query.next())
        list << QStringLiteral("%1 %2 %3 %4")
                    .arg(query.value(0).toString(), NumberText(query.value(1).toDouble()),
                         NumberText(query.value(2).toDouble()),
                         NumberText(query.value(3).toDouble()));
    return list;
}

QStringList cart()
{
    return lines(QStringLiteral("select c, \"2\", \"6\", \"7\" from data order by id"));
}

// Every stored row of a table as text, to show it was not touched.
QStringList snapshot(const QString &table)
{
    QStringList rows;
    QSqlQuery query = Db::Run(QStringLiteral("select * from %1 order by 1").arg(table));
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << query.value(i).toString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList L(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

} // namespace

class TestShopDay : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Till> m_till;
    qint64 m_session = 0;

    Till &till() { return *m_till; }

    qint64 login(const QString &name)
    {
        m_session =
            Db::InsertRow(QStringLiteral("rz"),
                          {{QStringLiteral("username"), name},
                           {QStringLiteral("btime"), QStringLiteral("2013-09-03 08:00:00")}});
        till().SetOperator(name);
        till().SetSession(m_session);
        return m_session;
    }
    void ring(const QStringList &scans) // "code quantity"
    {
        for (const QString &scan : scans) {
            const QStringList parts = scan.split(QLatin1Char(' '));
            QVERIFY(till().AddByCode(parts[0], parts[1].toDouble()) != Till::AddResult::NotFound);
        }
    }
    // Rings up and settles a sale; returns its number.
    QString sell(const QStringList &scans, const QString &cash)
    {
        ring(scans);
        const Till::Settlement settled = till().Settle(cash);
        if (settled.refusal != Till::Refusal::None)
            qFatal("sale refused");
        return TrimControl(settled.receipt.saleNumber);
    }
    qint64 soldLine(const QString &number, const QString &code)
    {
        return Db::Scalar(QStringLiteral("select ID from data1 where h=? and c=?"), {number, code})
            .toLongLong();
    }
    QList<Till::ReturnLine> chosen(const QString &number, const QString &spec) // "A1 1;B2 2"
    {
        QList<Till::ReturnLine> list;
        for (const QString &item : spec.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QStringList parts = item.split(QLatin1Char(' '));
            list << Till::ReturnLine{soldLine(number, parts[0]), parts[1].toDouble()};
        }
        return list;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        dmfm = new Tdmfm(m_dir->filePath(QStringLiteral("data.db")));
        addProduct(QStringLiteral("A1"), 10, 12.5, 12);
        addProduct(QStringLiteral("B2"), 2, 3.3, 3);
        m_till = std::make_unique<Till>();
        till().SetSaleDate(Day);
        till().SetToday(Day);
        login(Admin);
    }
    void cleanup()
    {
        m_till.reset();
        delete dmfm;
        dmfm = nullptr;
        m_dir.reset();
    }

    // --- Hold and recall ---

    void holdAndRecall_data()
    {
        QTest::addColumn<bool>("currentPrices");
        QTest::addColumn<QString>("catalogueChange"); // run while the sale is held
        QTest::addColumn<QStringList>("recalled");
        QTest::addColumn<int>("repriced");
        QTest::addColumn<int>("unpriced");
        const QString dearer =
            QStringLiteral("update sp set 销售单价=13, 进货单价=11 where 商品编码='A1'");
        QTest::newRow("as held") << false << QString() << L({"A1 2 25 5", "B2 1 3.3 1.3"}) << 0
                                 << 0;
        QTest::newRow("held prices kept")
            << false << dearer << L({"A1 2 25 5", "B2 1 3.3 1.3"}) << 0 << 0;
        QTest::newRow("current prices")
            << true << dearer << L({"A1 2 26 4", "B2 1 3.3 1.3"}) << 1 << 0;
        QTest::newRow("product gone keeps its prices")
            << true << QStringLiteral("delete from sp where 商品编码='B2'")
            << L({"A1 2 25 5", "B2 1 3.3 1.3"}) << 0 << 1;
    }
    void holdAndRecall()
    {
        QFETCH(bool, currentPrices);
        QFETCH(QString, catalogueChange);
        QFETCH(QStringList, recalled);
        QFETCH(int, repriced);
        QFETCH(int, unpriced);
        ring(L({"A1 2", "B2 1"}));
        const std::optional<Till::HeldSale> held = till().Hold(Noon);
        QVERIFY(held);
        QCOMPARE(rowsIn(QStringLiteral("data")), 0);
        const QList<Till::HeldSale> list = till().HeldSales();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].number, 1);
        QCOMPARE(list[0].operatorName, Admin);
        QCOMPARE(list[0].time, QStringLiteral("2013-09-03 12:00:00"));
        QCOMPARE(list[0].lines, 2);
        QCOMPARE(list[0].quantity, 3.0);
        QCOMPARE(MoneyText(list[0].amount), QStringLiteral("28.30"));

        if (!catalogueChange.isEmpty())
            Db::Run(catalogueChange);
        // Someone else recalls it, under a later sale number.
        till().SetOperator(QStringLiteral("张三"));
        const Till::Recall recall = till().RecallHeld(held->id, currentPrices);
        QCOMPARE(recall.result, Till::RecallResult::Recalled);
        QCOMPARE(recall.repriced, repriced);
        QCOMPARE(recall.unpriced, unpriced);
        QCOMPARE(cart(), recalled);
        QCOMPARE(rowsIn(QStringLiteral("held")) + rowsIn(QStringLiteral("held_lines")), 0);
        QSqlQuery stored = Db::Run(QStringLiteral("select distinct h, i, day1 from data"));
        QVERIFY(stored.next());
        QCOMPARE(stored.value(0).toString(), TrimControl(till().SaleNumber()));
        QCOMPARE(stored.value(1).toString(), QStringLiteral("张三"));
        QCOMPARE(stored.value(2).toString(), QStringLiteral("2013-09-03"));
        QVERIFY(!stored.next());
    }

    void holdAndRecallRefusals()
    {
        // An empty cart is not held.
        QVERIFY(!till().Hold(Noon));
        QCOMPARE(rowsIn(QStringLiteral("held")), 0);

        ring(L({"A1 1"}));
        const qint64 id = till().Hold(Noon)->id;
        // A cart with lines takes no held sale: both stay as they were.
        ring(L({"B2 3"}));
        QCOMPARE(till().RecallHeld(id, false).result, Till::RecallResult::CartNotEmpty);
        QCOMPARE(cart(), L({"B2 3 9.9 3.9"}));
        QCOMPARE(rowsIn(QStringLiteral("held_lines")), 1);
        till().ClearCart();
        QCOMPARE(till().RecallHeld(id + 1, false).result, Till::RecallResult::NotFound);
        QCOMPARE(rowsIn(QStringLiteral("data")), 0);
    }

    void shortNumbersSurviveARestartAndAreReused()
    {
        for (int i = 0; i < 3; ++i) {
            ring(L({"A1 1"}));
            QCOMPARE(till().Hold(Noon)->number, i + 1);
        }
        // The file is closed and opened again, as at a restart.
        delete dmfm;
        dmfm = new Tdmfm(m_dir->filePath(QStringLiteral("data.db")));
        QList<Till::HeldSale> list = till().HeldSales();
        QCOMPARE(list.size(), 3);
        QVERIFY(till().DeleteHeld(list[1].id));
        QVERIFY(!till().DeleteHeld(list[1].id));
        QCOMPARE(rowsIn(QStringLiteral("held_lines")), 2);
        ring(L({"B2 1"}));
        QCOMPARE(till().Hold(Noon)->number, 2);
        QCOMPARE(till().RecallHeld(list[0].id, false).result, Till::RecallResult::Recalled);
        till().ClearCart();
        ring(L({"B2 1"}));
        QCOMPARE(till().Hold(Noon)->number, 1);
    }

    // A failing step leaves every line where it was: in the cart or in the held sale.
    void failedHoldOrRecallMovesNothing_data()
    {
        QTest::addColumn<bool>("recall");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("hold") << false
                              << "create trigger refuse before delete on data begin "
                                 "select raise(abort, 'disk full'); end";
        QTest::newRow("recall") << true
                                << "create trigger refuse before delete on held begin "
                                   "select raise(abort, 'disk full'); end";
    }
    void failedHoldOrRecallMovesNothing()
    {
        QFETCH(bool, recall);
        QFETCH(QString, trigger);
        ring(L({"A1 1", "B2 2"}));
        qint64 id = 0;
        if (recall)
            id = till().Hold(Noon)->id;
        const QStringList cartBefore = snapshot(QStringLiteral("data"));
        const QStringList heldBefore = snapshot(QStringLiteral("held_lines"));
        Db::Run(trigger);
        if (recall)
            QVERIFY_THROWS_EXCEPTION(DbError, till().RecallHeld(id, true));
        else
            QVERIFY_THROWS_EXCEPTION(DbError, till().Hold(Noon));
        QCOMPARE(snapshot(QStringLiteral("data")), cartBefore);
        QCOMPARE(snapshot(QStringLiteral("held_lines")), heldBefore);
        QCOMPARE(rowsIn(QStringLiteral("held")), recall ? 1 : 0);
    }

    // --- Returns ---

    void returns_data()
    {
        QTest::addColumn<QStringList>("steps"); // each "A1 1;B2 2", one return each
        QTest::addColumn<QStringList>("refusals");
        QTest::addColumn<QStringList>("left"); // returnable A1, B2 afterwards
        QTest::addColumn<QString>("net");      // the sale's lines and returns summed
        QTest::newRow("partial") << L({"A1 1"}) << L({"None"}) << L({"2", "2"}) << "31.60 7.60";
        QTest::newRow("partial, then the rest")
            << L({"A1 1;B2 0.5", "A1 2;B2 1.5"}) << L({"None", "None"}) << L({"0", "0"})
            << "0.00 0.00";
        QTest::newRow("too many") << L({"A1 4"}) << L({"TooMany"}) << L({"3", "2"})
                                  << "44.10 10.10";
        QTest::newRow("too many after a partial")
            << L({"A1 2", "A1 1;B2 3"}) << L({"None", "TooMany"}) << L({"1", "2"}) << "19.10 5.10";
        QTest::newRow("nothing chosen")
            << L({"A1 0;B2 0"}) << L({"NothingChosen"}) << L({"3", "2"}) << "44.10 10.10";
        QTest::newRow("the same line twice")
            << L({"B2 1;B2 1.5"}) << L({"TooMany"}) << L({"3", "2"}) << "44.10 10.10";
    }
    void returns()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, refusals);
        QFETCH(QStringList, left);
        QFETCH(QString, net);
        const QString number = sell(L({"A1 3", "B2 2"}), QStringLiteral("50"));
        const QStringList original =
            lines(QStringLiteral("select c, \"2\", \"6\", \"7\" from data1 where h=?"), {number});
        const QStringList summary = snapshot(QStringLiteral("data3"));
        for (int i = 0; i < steps.size(); ++i) {
            const int linesBefore = rowsIn(QStringLiteral("data1"));
            const int salesBefore = rowsIn(QStringLiteral("data3"));
            const QString numberBefore = till().SaleNumber();
            const Till::Return result = till().SettleReturn(number, chosen(number, steps[i]));
            const QString refusal = QString::fromLatin1(
                QMetaEnum::fromType<Refusal>().valueToKey(static_cast<int>(result.refusal)));
            QCOMPARE(refusal, refusals[i]);
            if (result.refusal != Till::ReturnRefusal::None) {
                QCOMPARE(rowsIn(QStringLiteral("data1")), linesBefore);
                QCOMPARE(rowsIn(QStringLiteral("data3")), salesBefore);
                QCOMPARE(till().SaleNumber(), numberBefore);
            }
        }
        const std::optional<Till::SoldSale> sale = till().FindSale(number);
        QVERIFY(sale);
        QStringList returnable;
        for (const Till::SoldLine &line : sale->lines)
            returnable << NumberText(line.Returnable());
        QCOMPARE(returnable, left);
        // The sales records and charts sum the lines: the returns net out of them.
        QSqlQuery sums = Db::Run(QStringLiteral("select sum(\"6\"), sum(\"7\") from data1"));
        QVERIFY(sums.next());
        QCOMPARE(MoneyText(sums.value(0).toDouble()) + QLatin1Char(' ') +
                     MoneyText(sums.value(1).toDouble()),
                 net);
        // The original sale is never changed.
        QCOMPARE(
            lines(QStringLiteral("select c, \"2\", \"6\", \"7\" from data1 where h=?"), {number}),
            original);
        QCOMPARE(snapshot(QStringLiteral("data3")).first(), summary.first());
    }

    void returnIsStoredAsASaleOfItsOwn()
    {
        const QString number = sell(L({"A1 3", "B2 2"}), QStringLiteral("50"));
        const QString returnNumber = TrimControl(till().SaleNumber());
        const Till::Return result = till().SettleReturn(
            number.toLower(), chosen(number, QStringLiteral("A1 1;B2 1")), QTime(9, 5, 7));
        QCOMPARE(result.refusal, Till::ReturnRefusal::None);

        QSqlQuery summary = Db::Run(
            QStringLiteral("select \"1\", \"2\", \"3\", \"4\", \"5\", a, b, z, rz_id, day1 from "
                           "data3 where a=?"),
            {returnNumber});
        QVERIFY(summary.next());
        const QList<double> figures = {-15.8, -15.8, 0, 15.8, -3.8};
        for (int i = 0; i < figures.size(); ++i)
            QCOMPARE(summary.value(i).toDouble(), figures[i]);
        QCOMPARE(summary.value(7).toString(), QStringLiteral("退货:") + number);
        QCOMPARE(summary.value(8).toLongLong(), m_session);
        QCOMPARE(summary.value(9).toString(), QStringLiteral("2013-09-03"));

        QCOMPARE(lines(QStringLiteral("select c, \"2\", \"6\", \"7\" from data1 where h=? order "
                                      "by ID"),
                       {returnNumber}),
                 L({"A1 -1 -12.5 -2.5", "B2 -1 -3.3 -1.3"}));
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data1 where h=? and a5 in "
                                           "(select ID from data1 where h=?) and j=?"),
                            {returnNumber, number, QStringLiteral("退货:") + number})
                     .toInt(),
                 2);

        const ReceiptData &receipt = result.receipt;
        QCOMPARE(TrimControl(receipt.saleNumber), returnNumber);
        QCOMPARE(receipt.returnOf, number);
        QCOMPARE(receipt.total, QStringLiteral("-15.80"));
        QCOMPARE(receipt.cash, 0.0);
        QCOMPARE(receipt.change, 15.8);
        QCOMPARE(receipt.lines.size(), 2);
        QCOMPARE(receipt.lines[0].quantity, -1.0);
        QCOMPARE(receipt.lines[0].amount, -12.5);
        // The return used a number of its own; the next sale gets the following one.
        QVERIFY(TrimControl(till().SaleNumber()) != returnNumber);
        // A reprint of the last sale is the return, marked as one.
        QCOMPARE(till().LastSaleReceipt()->returnOf, number);
    }

    void returnRefusedForWrongSaleOrLine()
    {
        const QString first = sell(L({"A1 1"}), QStringLiteral("20"));
        const QString second = sell(L({"B2 1"}), QStringLiteral("20"));
        QCOMPARE(till().SettleReturn(QStringLiteral("NOSUCH1"), {}).refusal,
                 Till::ReturnRefusal::NotFound);
        // A line of another sale does not belong to this one.
        const Till::Return wrong =
            till().SettleReturn(first, chosen(second, QStringLiteral("B2 1")));
        QCOMPARE(wrong.refusal, Till::ReturnRefusal::UnknownLine);
        QCOMPARE(wrong.lineId, soldLine(second, QStringLiteral("B2")));
        // A return is not given back again.
        const QString returned = TrimControl(
            till().SettleReturn(first, chosen(first, QStringLiteral("A1 1"))).receipt.saleNumber);
        QCOMPARE(till().FindSale(returned)->returnOf, first);
        QCOMPARE(till().SettleReturn(returned, {}).refusal, Till::ReturnRefusal::IsReturn);
        QCOMPARE(rowsIn(QStringLiteral("data3")), 3);
    }

    // --- Shift report ---

    void shiftReport_data()
    {
        QTest::addColumn<QStringList>("events"); // "sell A1 2 cash", "return A1 1", "login 张三"
        QTest::addColumn<QStringList>("figures");
        // sales, amount, returns, amount, net, cash, change, expected, profit
        QTest::newRow("nothing sold")
            << QStringList{}
            << L({"0", "0.00", "0", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"});
        QTest::newRow("sales") << L({"sell A1 1 20", "sell B2 3 10"})
                               << L({"2", "22.40", "0", "0.00", "22.40", "30.00", "7.60", "22.40",
                                     "6.40"});
        QTest::newRow("sales and a return")
            << L({"sell B2 1 5", "sell A1 2 30", "return A1 1"})
            << L({"2", "28.30", "1", "12.50", "15.80", "35.00", "19.20", "15.80", "3.80"});
        // A later session's sales, and an earlier sale returned in this one.
        QTest::newRow("other sessions")
            << L({"sell A1 1 20", "login 张三", "return A1 1", "sell B2 1 5"})
            << L({"1", "3.30", "1", "12.50", "-9.20", "5.00", "14.20", "-9.20", "-1.20"});
    }
    void shiftReport()
    {
        QFETCH(QStringList, events);
        QFETCH(QStringList, figures);
        QString lastSale;
        for (const QString &event : events) {
            const QStringList p = event.split(QLatin1Char(' '));
            if (p[0] == QStringLiteral("sell"))
                lastSale = sell({p[1] + QLatin1Char(' ') + p[2]}, p[3]);
            else if (p[0] == QStringLiteral("login"))
                login(p[1]);
            else
                QCOMPARE(
                    till()
                        .SettleReturn(lastSale, chosen(lastSale, p[1] + QLatin1Char(' ') + p[2]))
                        .refusal,
                    Till::ReturnRefusal::None);
        }
        const std::optional<ShiftReport> report = ReadShiftReport(m_session);
        QVERIFY(report);
        const QStringList got = {QString::number(report->sales),   MoneyText(report->salesAmount),
                                 QString::number(report->returns), MoneyText(report->returnsAmount),
                                 MoneyText(report->net),           MoneyText(report->cashReceived),
                                 MoneyText(report->changeGiven),   MoneyText(report->cashExpected),
                                 MoneyText(report->profit)};
        QCOMPARE(got, figures);
        QVERIFY(report->logoutTime.isEmpty());
        QVERIFY(report->byOperator.isEmpty());
    }

    void shiftReportListsOperatorsWhenSeveralWorked()
    {
        sell(L({"A1 1"}), QStringLiteral("20"));
        // Another cashier rings up under the same login (the till's operator changed).
        till().SetOperator(QStringLiteral("张三"));
        const QString number = sell(L({"B2 2"}), QStringLiteral("10"));
        till().SettleReturn(number, chosen(number, QStringLiteral("B2 1")));
        const ShiftReport report = *ReadShiftReport(m_session);
        QCOMPARE(report.byOperator.size(), 2);
        QCOMPARE(report.byOperator[0].name, Admin);
        QCOMPARE(report.byOperator[0].sales, 1);
        QCOMPARE(MoneyText(report.byOperator[0].net), QStringLiteral("12.50"));
        QCOMPARE(report.byOperator[1].name, QStringLiteral("张三"));
        QCOMPARE(report.byOperator[1].sales, 1);
        QCOMPARE(report.byOperator[1].returns, 1);
        QCOMPARE(MoneyText(report.byOperator[1].net), QStringLiteral("3.30"));
        QVERIFY(!ReadShiftReport(m_session + 1));
        QCOMPARE(RecentSessions().first().id, m_session);
    }

public:
    // The refusals by name, for the tables.
    enum class Refusal { None, NotFound, IsReturn, NothingChosen, UnknownLine, TooMany };
    Q_ENUM(Refusal)
};

QTEST_GUILESS_MAIN(TestShopDay)
#include "tst_shopday.moc"
