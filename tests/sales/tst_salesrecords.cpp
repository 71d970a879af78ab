// The sales records' statements on a small history: month and filter lists, the
// summaries' filter, the chart totals and the offered years.

#include "fixture.h"
#include "history.h"
#include "sales/salesrecords.h"

#include "data/mylib.h"

#include <QSqlQuery>

Q_DECLARE_METATYPE(SalesFilter)

namespace {

// The distinct values of `field` in the statement's rows, in row order, joined by blanks.
QString listed(const SqlStatement &statement, const QString &field)
{
    QSqlQuery query = Db::Run(statement.sql, statement.params);
    QStringList values;
    while (query.next()) {
        const QString value = query.value(field).toString();
        if (!values.contains(value))
            values << value;
    }
    std::sort(values.begin(), values.end());
    return values.join(QLatin1Char(' '));
}

QString points(const QList<QPair<int, double>> &list)
{
    QStringList texts;
    for (const auto &[slot, value] : list)
        texts << QStringLiteral("%1:%2").arg(slot).arg(NumberText(value));
    return texts.join(QLatin1Char(' '));
}

} // namespace

class TestSalesRecords : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture.Start();
        AddHistory();
    }
    void cleanup() { m_fixture.Stop(); }

    void month_data();
    void month();
    void filter_data();
    void filter();
    void orderStaysAsTheTextGrows();
    void summariesBySaleNumber_data();
    void summariesBySaleNumber();
    void chartTotals();
    void saleYears();
    void categories();

private:
    Fixture m_fixture;
};

void TestSalesRecords::month_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("summaries");
    // Neither the year's digits nor November and December leak into another month.
    QTest::newRow("February 2012")
        << QDate(2012, 2, 29) << QStringLiteral("S1 S2") << QStringLiteral("S1 S2 S7");
    QTest::newRow("December 2012")
        << QDate(2012, 12, 1) << QStringLiteral("S4") << QStringLiteral("S4");
    QTest::newRow("January 2013") << QDate(2013, 1, 31) << QStringLiteral("S5")
                                  << QStringLiteral("S5");
    QTest::newRow("February 2013")
        << QDate(2013, 2, 10) << QStringLiteral("S6") << QStringLiteral("S6");
    QTest::newRow("no sales") << QDate(2013, 3, 1) << QStringLiteral("") << QStringLiteral("");
}

void TestSalesRecords::month()
{
    QFETCH(QDate, day);
    QFETCH(QString, lines);
    QFETCH(QString, summaries);
    QCOMPARE(listed(SalesRecords::MonthLines(day), QStringLiteral("h")), lines);
    QCOMPARE(listed(SalesRecords::MonthSummaries(day), QStringLiteral("a")), summaries);
}

void TestSalesRecords::filter_data()
{
    QTest::addColumn<SalesFilter>("filter");
    QTest::addColumn<QString>("sales");
    auto f = [](auto set) {
        SalesFilter filter;
        set(filter);
        return filter;
    };
    // Lines without a member price are listed like any other.
    QTest::newRow("nothing filled") << SalesFilter() << QStringLiteral("S1 S2 S3 S4 S5 S6");
    QTest::newRow("name") << f([](SalesFilter &s) { s.name = QStringLiteral("苹果"); })
                          << QStringLiteral("S1 S3");
    QTest::newRow("name with a quote")
        << f([](SalesFilter &s) { s.name = QStringLiteral("it's"); }) << QStringLiteral("S5");
    QTest::newRow("percent sign is a letter")
        << f([](SalesFilter &s) { s.specification = QStringLiteral("%"); }) << QStringLiteral("S5");
    QTest::newRow("underscore is a letter")
        << f([](SalesFilter &s) { s.code = QStringLiteral("_"); }) << QStringLiteral("");
    QTest::newRow("several fields") << f([](SalesFilter &s) {
        s.category = QStringLiteral("饮");
        s.operatorName = QStringLiteral("李");
        s.code = QStringLiteral("10");
    }) << QStringLiteral("S4");
    QTest::newRow("sale number") << f([](SalesFilter &s) { s.saleNumber = QStringLiteral("S1"); })
                                 << QStringLiteral("S1");
    QTest::newRow("dates inclusive") << f([](SalesFilter &s) {
        s.byDate = true;
        s.fromText = QStringLiteral("2012-02-03");
        s.toText = QStringLiteral("2012-02-17");
    }) << QStringLiteral("S1 S2");
    QTest::newRow("dates unticked") << f([](SalesFilter &s) {
        s.fromText = QStringLiteral("2012-02-03");
        s.toText = QStringLiteral("2012-02-03");
    }) << QStringLiteral("S1 S2 S3 S4 S5 S6");
    QTest::newRow("emptied from date") << f([](SalesFilter &s) {
        s.byDate = true;
        s.toText = QStringLiteral("2012-11-05");
    }) << QStringLiteral("S1 S2 S3");
    QTest::newRow("both dates emptied") << f([](SalesFilter &s) {
        s.byDate = true;
        s.name = QStringLiteral("面包");
    }) << QStringLiteral("S6");
}

void TestSalesRecords::filter()
{
    QFETCH(SalesFilter, filter);
    QFETCH(QString, sales);
    QCOMPARE(listed(SalesRecords::FilteredLines(filter), QStringLiteral("h")), sales);
}

// The lines keep their order while a filter text grows past the length the substring index
// needs: with a date range in the date index's order (here the smaller quantity first), and
// without one in their own order.
void TestSalesRecords::orderStaysAsTheTextGrows()
{
    {
        Db::Transaction transaction;
        AddSaleLine({"T1", "可乐汽水A", "瓶", "301", "饮品", "王五", 3, 3, 3, "2014-05-06"});
        AddSaleLine({"T1", "可乐汽水B", "瓶", "302", "饮品", "王五", 3, 3, 1, "2014-05-06"});
        transaction.Commit();
    }
    for (const bool byDate : {false, true}) {
        QList<QStringList> orders;
        for (const QString &text :
             {QStringLiteral("可乐"), QStringLiteral("可乐汽"), QStringLiteral("可乐汽水")}) {
            SalesFilter filter;
            filter.operatorName = QStringLiteral("王五");
            filter.name = text;
            filter.byDate = byDate;
            filter.fromText = filter.toText = QStringLiteral("2014-05-06");
            const SqlStatement statement = SalesRecords::FilteredLines(filter);
            QSqlQuery query = Db::Run(statement.sql, statement.params);
            QStringList names;
            while (query.next())
                names << query.value(QStringLiteral("a")).toString();
            orders << names;
        }
        const QStringList expected =
            byDate ? QStringList{QStringLiteral("可乐汽水B"), QStringLiteral("可乐汽水A")}
                   : QStringList{QStringLiteral("可乐汽水A"), QStringLiteral("可乐汽水B")};
        for (const QStringList &order : std::as_const(orders))
            QCOMPARE(order, expected);
    }
}

void TestSalesRecords::summariesBySaleNumber_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("summaries");
    QTest::newRow("empty lists all")
        << QStringLiteral("") << QStringLiteral("S1 S2 S3 S4 S5 S6 S7");
    QTest::newRow("part of a number") << QStringLiteral("7") << QStringLiteral("S7");
    QTest::newRow("quote") << QStringLiteral("'") << QStringLiteral("");
}

void TestSalesRecords::summariesBySaleNumber()
{
    QFETCH(QString, number);
    QFETCH(QString, summaries);
    QCOMPARE(listed(SalesRecords::FilteredSummaries(number), QStringLiteral("a")), summaries);
}

void TestSalesRecords::chartTotals()
{
    using SalesRecords::Measure;
    // Profit and monthly sales come from the summaries, so the deleted line's sale counts.
    QCOMPARE(points(SalesRecords::MonthlyTotals(2012, Measure::Profit)),
             QStringLiteral("2:10.8 11:2 12:2.4"));
    QCOMPARE(points(SalesRecords::MonthlyTotals(2012, Measure::Sales)),
             QStringLiteral("2:52 11:10 12:12"));
    QCOMPARE(points(SalesRecords::DailyTotals(2012, 2, Measure::Profit)),
             QStringLiteral("3:7.8 17:1 20:2"));
    // Daily sales add the line amounts: 3 x 10 + 2 x 4.5 on the 3rd.
    QCOMPARE(points(SalesRecords::DailyTotals(2012, 2, Measure::Sales)),
             QStringLiteral("3:39 17:5"));
    QCOMPARE(points(SalesRecords::MonthlyTotals(2011, Measure::Profit)), QStringLiteral(""));
    QCOMPARE(points(SalesRecords::DailyTotals(2013, 13, Measure::Sales)), QStringLiteral(""));
    // A date stored with a time of day still falls into its day.
    AddSummary("S8", "张三", 4, 1, "2012-02-03 10:15:00");
    QCOMPARE(points(SalesRecords::DailyTotals(2012, 2, Measure::Profit)),
             QStringLiteral("3:8.8 17:1 20:2"));
}

void TestSalesRecords::saleYears()
{
    QCOMPARE(SalesRecords::SaleYears(QDate(2026, 5, 1)), (QList<int>{2012, 2013, 2026}));
    QCOMPARE(SalesRecords::SaleYears(QDate(2013, 5, 1)), (QList<int>{2012, 2013}));
    Db::Run(QStringLiteral("delete from data1"));
    Db::Run(QStringLiteral("delete from data3"));
    QCOMPARE(SalesRecords::SaleYears(QDate(2026, 5, 1)), (QList<int>{2026}));
}

void TestSalesRecords::categories()
{
    AddSaleLine({"S9", "x", "", "9", "水果", "", 0, 1, 1, "2013-03-01"});
    Db::Run(QStringLiteral("update data1 set d = null where h = 'S6'"));
    QCOMPARE(SalesRecords::Categories(),
             (QStringList{QStringLiteral("水果"), QStringLiteral("饮品")}));
}

ZENTRIK_TEST_MAIN(TestSalesRecords)
#include "tst_salesrecords.moc"
