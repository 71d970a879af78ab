#include "sales_bench.h"

#include "figures.h"

#include "components/bandreport.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "sales/Unit2.h"
#include "sales/Unit4.h"
#include "sales/salesrecords.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {

// The bare engine work through the sqlite3 C library, on the same file.
class Bare
{
public:
    Bare() { sqlite3_open_v2("data.db", &m_db, SQLITE_OPEN_READONLY, nullptr); }
    ~Bare() { sqlite3_close(m_db); }

    // Steps through at most `limit` rows (all for -1) of `sql` with text parameters.
    void run(const char *sql, const QList<QByteArray> &params = {}, int limit = -1)
    {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        for (int i = 0; i < params.size(); ++i)
            sqlite3_bind_text(statement, i + 1, params[i].constData(), int(params[i].size()),
                              SQLITE_TRANSIENT);
        int rows = 0;
        while ((limit < 0 || rows < limit) && sqlite3_step(statement) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(statement);
    }

private:
    sqlite3 *m_db = nullptr;
};

// One settled sale per sale number of the generated lines, as settlement writes it.
void addSummaries()
{
    if (Db::Scalar(QStringLiteral("select count(*) from data3")).toInt() > 0)
        return;
    Db::Transaction transaction;
    Db::Run(
        QStringLiteral("insert into data3 (a, b, \"1\", \"2\", \"3\", \"4\", \"5\", \"7\", day1) "
                       "select h, min(i), sum(\"6\"), sum(\"6\"), sum(\"6\"), 0, sum(\"7\"), "
                       "0, min(day1) from data1 group by h"));
    transaction.Commit();
}

QList<QByteArray> monthRange()
{
    const QDate first(QDate::currentDate().year(), QDate::currentDate().month(), 1);
    return {DateText(first).toLatin1(), DateText(first.addMonths(1)).toLatin1()};
}

// The engine work of showing a list: its count and its first screen of rows.
void bareList(Bare &bare, const char *table, const char *where, const QList<QByteArray> &params)
{
    const QByteArray count = QByteArray("select count(*) from ") + table + where;
    const QByteArray rows = QByteArray("select * from ") + table + where;
    bare.run(count.constData(), params);
    bare.run(rows.constData(), params, 60);
}

void bareCharts(Bare &bare)
{
    const QDate today = QDate::currentDate();
    const QByteArray yearFrom = DateText(QDate(today.year(), 1, 1)).toLatin1();
    const QByteArray yearTo = DateText(QDate(today.year() + 1, 1, 1)).toLatin1();
    bare.run("select day1, sum(\"5\") from data3 where day1 >= ? and day1 < ? group by day1",
             {yearFrom, yearTo});
    bare.run("select day1, sum(\"5\") from data3 where day1 >= ? and day1 < ? group by day1",
             monthRange());
}

void settle()
{
    QApplication::processEvents();
}

} // namespace

void RunSalesFigures()
{
    addSummaries();
    Bare bare;
    const int runs = 20;

    xstj->show();
    settle();
    xstj->hide();
    const Times open = measure(runs, [](int) {
        xstj->show();
        settle();
        xstj->hide();
    });
    const Times openBase = measure(runs, [&](int) {
        bareCharts(bare);
        bareList(bare, "data1", " where day1 >= ? and day1 < ?", monthRange());
        bareList(bare, "data3", " where day1 >= ? and day1 < ?", monthRange());
    });
    line("sales-open", open, openBase);

    xstj->show();
    settle();
    const Times month = measure(runs, [](int) {
        xstj->LoadCurrentMonth();
        settle();
    });
    const Times monthBase = measure(runs, [&](int) {
        bare.run("select d from data1 group by d order by d");
        bareList(bare, "data1", " where day1 >= ? and day1 < ?", monthRange());
        bareList(bare, "data3", " where day1 >= ? and day1 < ?", monthRange());
    });
    line("sales-month", month, monthBase);

    const Times all = measure(5, [](int) {
        xstj->LoadAll();
        settle();
    });
    const Times allBase = measure(5, [&](int) {
        bare.run("select d from data1 group by d order by d");
        bareList(bare, "data1", "", {});
        bareList(bare, "data3", "", {});
    });
    line("sales-all", all, allBase);

    // One keystroke in the name filter: both lists re-run with the longer text.
    auto *name = xstj->findChild<QLineEdit *>(QStringLiteral("nameBox"));
    const QStringList texts = {QStringLiteral("商"), QStringLiteral("商品"),
                               QStringLiteral("商品1"), QStringLiteral("商品12"),
                               QStringLiteral("商品123")};
    const Times keystroke = measure(100, [&](int i) {
        name->setText(texts[i % texts.size()]);
        settle();
    });
    const Times keystrokeBase = measure(100, [&](int i) {
        const QByteArray pattern = SalesRecords::ContainsPattern(texts[i % texts.size()]).toUtf8();
        bareList(bare, "data1", " where a like ? escape '\\'", {pattern});
        bareList(bare, "data3", "", {});
    });
    line("sales-keystroke", keystroke, keystrokeBase);

    // Two characters are too few for the substring index: a text no line holds reads them
    // all.
    const QStringList shortTexts = {QStringLiteral("饮料"), QStringLiteral("饮品")};
    const Times shortKeystroke = measure(20, [&](int i) {
        name->setText(shortTexts[i % 2]);
        settle();
    });
    const Times shortBase = measure(20, [&](int i) {
        const QByteArray pattern = SalesRecords::ContainsPattern(shortTexts[i % 2]).toUtf8();
        bare.run("select * from data1 where a like ? escape '\\'", {pattern}, 60);
    });
    line("sales-keystroke-short", shortKeystroke, shortBase);
    name->clear();

    const Times chartMonth = measure(runs, [](int) {
        xstj->QueryMonthChart(SalesRecords::Measure::Sales);
        settle();
    });
    const QDate today = QDate::currentDate();
    const Times chartMonthBase = measure(runs, [&](int) {
        bare.run("select day1, sum(\"2\") from data3 where day1 >= ? and day1 < ? group by day1",
                 {DateText(QDate(today.year(), 1, 1)).toLatin1(),
                  DateText(QDate(today.year() + 1, 1, 1)).toLatin1()});
    });
    line("chart-month", chartMonth, chartMonthBase);

    const Times chartDay = measure(runs, [](int) {
        xstj->QueryDayChart(SalesRecords::Measure::Sales);
        settle();
    });
    const Times chartDayBase = measure(runs, [&](int) {
        bare.run("select day1, sum(\"6\") from data1 where day1 >= ? and day1 < ? group by day1",
                 monthRange());
    });
    line("chart-day", chartDay, chartDayBase);
    xstj->hide();

    // The slip of a 20-line cart laid out at a printer's resolution.
    SlipData slip;
    slip.saleNumber = QStringLiteral("CJG20130903000001");
    slip.date = DateText(today);
    slip.operatorName = QStringLiteral("超级管理员");
    for (int i = 0; i < 20; ++i)
        slip.lines << SlipLine{QStringLiteral("商品%1号").arg(i),
                               QStringLiteral("500ml"),
                               QStringLiteral("瓶"),
                               1.0 + i % 3,
                               3.5,
                               3.5 * (1 + i % 3)};
    const Times layout = measure(100, [&](int) {
        const auto pages = LayoutBandReport(SalesSlip::Layout(slip), 600);
        if (pages.isEmpty())
            std::abort();
    });
    const Times layoutBase = measure(
        100, [&](int) { bare.run("select a, b, z, \"2\", \"4\", \"6\" from data order by id"); });
    line("slip", layout, layoutBase);
}
