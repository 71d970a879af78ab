// Times what a cashier waits for, on a synthetic shop in a temporary folder, and sets
// each figure beside the bare SQLite work it stands on (through the sqlite3 C library).
//
//   zentrik_bench [--products N] [--lines M]      (defaults 100000 and 1000000)
//
// One line per figure: NAME p50_ms=X p99_ms=Y base_ms=Z ratio=R (ratio = p50 / base),
// then the sales records' figures (sales_bench.cpp), then rss_mb=N, the peak resident
// memory.

#include "catalogue_bench.h"
#include "sales_bench.h"

#include "components/datagrid.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "shell/MAIN.h"
#include "shell/application.h"
#include "shell/settings.h"
#include "shell/startup.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

struct Figure
{
    QList<double> ms;
    double percentile(double p) const
    {
        QList<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        const auto at = static_cast<qsizetype>(p * double(sorted.size() - 1) + 0.5);
        return sorted.isEmpty() ? 0.0 : sorted[std::min(at, sorted.size() - 1)];
    }
};

// Processor time of this thread, in milliseconds: beside the wall time it tells the
// program's own work from time spent waiting for a busy machine.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void report(const char *name, const Figure &figure, const Figure &base)
{
    const double p50 = figure.percentile(0.5);
    const double b = base.percentile(0.5);
    std::printf("%s p50_ms=%.2f p99_ms=%.2f base_ms=%.2f ratio=%.2f\n", name, p50,
                figure.percentile(0.99), b, b > 0 ? p50 / b : 0.0);
    std::fflush(stdout);
}

QString code(int i)
{
    return QStringLiteral("69%1").arg(i, 11, 10, QLatin1Char('0'));
}

// The bare engine: statements through the sqlite3 C library on a connection of its own.
class Bare
{
public:
    explicit Bare(const QString &path)
    {
        if (sqlite3_open(path.toUtf8().constData(), &m_db) != SQLITE_OK)
            fail();
        exec("PRAGMA synchronous=NORMAL");
    }
    ~Bare() { sqlite3_close(m_db); }
    Bare(const Bare &) = delete;
    Bare &operator=(const Bare &) = delete;

    void exec(const char *sql)
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "%s: %s\n", sql, error);
            std::exit(2);
        }
    }

    sqlite3_stmt *prepare(const char *sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            fail();
        return statement;
    }

    // Runs a statement with text parameters, reading every column of every row.
    int run(const char *sql, const QList<QByteArray> &params = {})
    {
        sqlite3_stmt *statement = prepare(sql);
        for (int i = 0; i < params.size(); ++i)
            sqlite3_bind_text(statement, i + 1, params[i].constData(), int(params[i].size()),
                              SQLITE_TRANSIENT);
        int rows = 0;
        int rc = 0;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                (void)sqlite3_column_text(statement, c);
        }
        if (rc != SQLITE_DONE)
            fail();
        sqlite3_finalize(statement);
        return rows;
    }

    sqlite3 *handle() const { return m_db; }

private:
    [[noreturn]] void fail() const
    {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(m_db));
        std::exit(2);
    }
    sqlite3 *m_db = nullptr;
};

// Products and archived sale lines (four lines a sale, spread over three years up to
// today) with their summaries, in one transaction through prepared statements.
void buildShop(Bare &bare, int products, int lines)
{
    QRandomGenerator random(42);
    bare.exec("BEGIN");
    sqlite3_stmt *product = bare.prepare(
        "insert into sp (商品编码,商品类别,商品名称,规格型号,进货单价,销售单价,会员价,单位,"
        "供货商) values (?,?,?,'500ml',?,?,?,'瓶',?)");
    auto text = [](sqlite3_stmt *s, int i, const QString &value) {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    QList<double> prices;
    for (int i = 0; i < products; ++i) {
        const double cost = 1 + random.bounded(5000) / 100.0;
        prices << cost;
        text(product, 1, code(i));
        text(product, 2, QStringLiteral("类别%1").arg(i % 40));
        text(product, 3, QStringLiteral("商品%1号").arg(i));
        sqlite3_bind_double(product, 4, cost);
        sqlite3_bind_double(product, 5, cost * 1.3);
        sqlite3_bind_double(product, 6, cost * 1.2);
        text(product, 7, QStringLiteral("供货商%1").arg(i % 90));
        sqlite3_step(product);
        sqlite3_reset(product);
    }
    sqlite3_finalize(product);

    sqlite3_stmt *line =
        bare.prepare("insert into data1 (a,b,c,d,h,i,z,\"1\",\"2\",\"4\",\"6\",\"7\",day1) "
                     "values (?,'500ml',?,?,?,'超级管理员','瓶',?,?,?,?,?,?)");
    sqlite3_stmt *sale = bare.prepare("insert into data3 (a,b,\"1\",\"2\",\"3\",\"4\",\"5\",day1) "
                                      "values (?,'超级管理员',?,?,?,0,?,?)");
    const QDate today = QDate::currentDate();
    const QDate first = today.addDays(-1095);
    double saleTotal = 0;
    double saleProfit = 0;
    for (int i = 0; i < lines; ++i) {
        const int p = random.bounded(products);
        const double quantity = 1 + random.bounded(3);
        const double price = prices[p] * 1.3;
        const QString day = DateText(first.addDays(qint64(i) * 1095 / lines));
        const QString number = QStringLiteral("CJG%1").arg(i / 4, 9, 10, QLatin1Char('0'));
        text(line, 1, QStringLiteral("商品%1号").arg(p));
        text(line, 2, code(p));
        text(line, 3, QStringLiteral("类别%1").arg(p % 40));
        text(line, 4, number);
        sqlite3_bind_double(line, 5, prices[p]);
        sqlite3_bind_double(line, 6, quantity);
        sqlite3_bind_double(line, 7, price);
        sqlite3_bind_double(line, 8, price * quantity);
        sqlite3_bind_double(line, 9, (price - prices[p]) * quantity);
        text(line, 10, day);
        sqlite3_step(line);
        sqlite3_reset(line);
        saleTotal += price * quantity;
        saleProfit += (price - prices[p]) * quantity;
        if (i % 4 == 3 || i == lines - 1) {
            text(sale, 1, number);
            sqlite3_bind_double(sale, 2, saleTotal);
            sqlite3_bind_double(sale, 3, saleTotal);
            sqlite3_bind_double(sale, 4, saleTotal);
            sqlite3_bind_double(sale, 5, saleProfit);
            text(sale, 6, day);
            sqlite3_step(sale);
            sqlite3_reset(sale);
            saleTotal = saleProfit = 0;
        }
    }
    sqlite3_finalize(line);
    sqlite3_finalize(sale);
    bare.exec("COMMIT");
    bare.exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

template <typename T> T *widget(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "no widget %s\n", name);
        std::exit(2);
    }
    return found;
}

void scan(QLineEdit *codeBox, const QString &text)
{
    codeBox->setText(text);
    emit codeBox->returnPressed();
    QCoreApplication::processEvents(); // the grid's repaint
}

// Grid columns titled by their fields.
QList<GridColumn> columnsOf(const QStringList &fields)
{
    QList<GridColumn> columns;
    for (const QString &field : fields) {
        GridColumn c;
        c.field = field;
        c.title = field;
        columns << c;
    }
    columns[0].footer = GridColumn::Footer::Count;
    return columns;
}

QList<GridColumn> lineColumns()
{
    QList<GridColumn> columns = columnsOf(
        {QStringLiteral("h"), QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("d"),
         QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("7"),
         QStringLiteral("day1"), QStringLiteral("i")});
    for (int i : {4, 6, 7}) {
        columns[i].footer = GridColumn::Footer::Sum;
        columns[i].footerFormat = QStringLiteral("0.00");
    }
    return columns;
}

QList<GridColumn> productColumns()
{
    return columnsOf(
        QString::fromUtf8("商品编码 商品类别 商品名称 规格型号 进货单价 销售单价 会员价 "
                          "单位 供货商")
            .split(QLatin1Char(' ')));
}

// A grid of the size of a window's, showing the dataset.
void showGrid(DataGrid &grid, const QList<GridColumn> &columns, Dataset *dataset)
{
    grid.resize(1200, 700);
    grid.SetColumns(columns);
    grid.SetDataset(dataset);
    grid.show();
}

// Opens `sql` in the dataset shown by a grid, until its first screen is painted.
double showInGrid(DataGrid &grid, Dataset &dataset, const QString &sql, const QVariantList &params)
{
    QElapsedTimer timer;
    timer.start();
    dataset.Open(sql, params);
    grid.view()->viewport()->repaint();
    QCoreApplication::processEvents();
    return elapsedMs(timer);
}

double waitForSums(Dataset &dataset, const QElapsedTimer &since)
{
    while (!dataset.SumsReady())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return elapsedMs(since);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ZentrikApplication app(argc, argv);
    int products = 100000;
    int lines = 1000000;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QStringLiteral("--products"))
            products = std::max(25, args[i + 1].toInt());
        else if (args[i] == QStringLiteral("--lines"))
            lines = std::max(1, args[i + 1].toInt());
    }

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    Settings::SetConfigDirectory(dir.path());
    Msg::SetHandler([](const Msg::Record &) { return true; });
    CreateWindows();
    const QString path = dmfm->Path();
    Bare bare(path);
    {
        QElapsedTimer build;
        build.start();
        buildShop(bare, products, lines);
        std::fprintf(stderr, "shop: %d products, %d sale lines, built in %.1f s\n", products, lines,
                     build.elapsed() / 1000.0);
    }

    // Startup: the windows created, the main window shown, the month of sale lines open.
    const QDate today = QDate::currentDate();
    const QDate monthStart(today.year(), today.month(), 1);
    const QVariantList month = {DateText(monthStart), DateText(monthStart.addMonths(1))};
    const QString monthSql =
        QStringLiteral("select * from data1 where day1 >= ? and day1 < ? order by ID");
    {
        Figure figure;
        Figure base;
        for (int run = 0; run < 15; ++run) {
            DestroyWindows();
            QElapsedTimer timer;
            timer.start();
            CreateWindows();
            MainForm->show();
            dmfm->ADOQuery13->Open(monthSql, month);
            QCoreApplication::processEvents();
            figure.ms << elapsedMs(timer);

            timer.start();
            Bare fresh(path);
            fresh.exec("PRAGMA journal_mode=WAL");
            fresh.run("select count(*) from sqlite_master");
            fresh.run("select * from (select * from data1 where day1 >= ? and day1 < ? order by "
                      "ID) limit 256",
                      {month[0].toString().toUtf8(), month[1].toString().toUtf8()});
            base.ms << elapsedMs(timer);
        }
        report("startup", figure, base);
    }

    MainForm->BeginSession(QStringLiteral("超级管理员"));
    QLineEdit *codeBox = widget<QLineEdit>(MainForm, "codeBox");

    // Scans into a cart of 20 lines: a 20th new line, then merges into the lines there.
    {
        Figure figure;
        Figure base;
        Figure cpuTime;
        for (int round = 0; round < 30; ++round) {
            Db::Run(QStringLiteral("delete from data where c=?"), {code(19)});
            if (round == 0)
                for (int i = 0; i < 19; ++i)
                    scan(codeBox, code(i));
            for (int i = 0; i < 20; ++i) {
                QElapsedTimer timer;
                timer.start();
                const double cpu = threadCpuMs();
                scan(codeBox, code(i == 0 ? 19 : (round * 7 + i) % 20));
                figure.ms << elapsedMs(timer);
                cpuTime.ms << threadCpuMs() - cpu;
            }
        }
        for (int i = 0; i < 200; ++i) {
            const QByteArray c = code(i % 20).toUtf8();
            QElapsedTimer timer;
            timer.start();
            bare.run("select * from sp where 商品编码=?", {c});
            bare.run("select * from data where c=?", {c});
            bare.run("update data set \"2\"=\"2\"+1,\"6\"=\"6\"+1,\"7\"=\"7\"+1 where c=?", {c});
            bare.run("select * from data order by id");
            base.ms << elapsedMs(timer);
        }
        report("scan", figure, base);
        const auto stalls =
            std::count_if(figure.ms.cbegin(), figure.ms.cend(), [](double ms) { return ms > 50; });
        std::fprintf(stderr,
                     "scan: %d of %d over 50 ms, slowest %.1f ms; processor time p50 %.2f ms, "
                     "p99 %.2f ms\n",
                     int(stalls), int(figure.ms.size()), figure.percentile(1.0),
                     cpuTime.percentile(0.5), cpuTime.percentile(0.99));
    }

    // Settlement of a 20-line cart, the durable commit included.
    {
        auto *settle = widget<QPushButton>(MainForm, "confirmButton");
        auto *cash = widget<QLineEdit>(MainForm, "cashBox");
        widget<QCheckBox>(MainForm, "printCheck")->setChecked(false);
        Figure figure;
        Figure base;
        for (int run = 0; run < 60; ++run) {
            Db::Run(QStringLiteral("delete from data"));
            for (int i = 0; i < 20; ++i)
                scan(codeBox, code((run * 20 + i) % products));
            scan(codeBox, QString()); // opens the settlement
            cash->setText(QStringLiteral("100000"));
            QElapsedTimer timer;
            timer.start();
            settle->click();
            QCoreApplication::processEvents();
            figure.ms << elapsedMs(timer);
        }
        for (int run = 0; run < 60; ++run) {
            for (int i = 0; i < 20; ++i)
                bare.run("insert into data (a,c,\"2\",\"6\",\"7\",day1) select 商品名称,商品编码,1,"
                         "销售单价,1,date('now') from sp where 商品编码=?",
                         {code(i).toUtf8()});
            QElapsedTimer timer;
            timer.start();
            bare.exec("PRAGMA synchronous=FULL");
            bare.exec("BEGIN");
            bare.run("insert into data1 (a,b,c,d,h,i,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\","
                     "\"8\",day1) select a,b,c,d,'X',i,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\","
                     "\"8\",day1 from data order by id");
            bare.run("insert into data3 (a,\"1\",day1) values ('X',1,date('now'))");
            bare.run("insert or replace into app_state values ('bench','1')");
            bare.run("insert or replace into app_state values ('bench2','1')");
            bare.run("delete from data");
            bare.exec("COMMIT");
            bare.exec("PRAGMA synchronous=NORMAL");
            base.ms << elapsedMs(timer);
        }
        report("settle", figure, base);
    }

    // All sale lines opened in a grid with sum footers; then a title-click sort.
    {
        DataGrid grid;
        showGrid(grid, lineColumns(), dmfm->ADOQuery13);
        Figure open;
        Figure footers;
        Figure sort;
        for (int run = 0; run < 7; ++run) {
            QElapsedTimer since;
            since.start();
            open.ms << showInGrid(grid, *dmfm->ADOQuery13, QStringLiteral("select * from data1"),
                                  {});
            footers.ms << waitForSums(*dmfm->ADOQuery13, since);
        }
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            dmfm->ADOQuery13->Sort(QStringLiteral("6"),
                                   run % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
            grid.view()->viewport()->repaint();
            QCoreApplication::processEvents();
            sort.ms << elapsedMs(timer);
        }
        Figure baseOpen;
        Figure baseFooters;
        Figure baseSort;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            bare.run("select * from data1 limit 256");
            bare.run("select count(*) from data1");
            baseOpen.ms << elapsedMs(timer);
            bare.run("select sum(\"2\"),sum(\"6\"),sum(\"7\") from data1");
            baseFooters.ms << elapsedMs(timer);
            timer.start();
            // The sort orders the field and the key only, then reads the rows by key.
            sqlite3_stmt *keys =
                bare.prepare("select ID from data1 order by \"6\" desc, ID limit 256");
            QList<QByteArray> ids;
            while (sqlite3_step(keys) == SQLITE_ROW)
                ids << QByteArray::number(sqlite3_column_int64(keys, 0));
            sqlite3_finalize(keys);
            bare.run(("select * from data1 where ID in (" + ids.join(',') + ")").constData());
            baseSort.ms << elapsedMs(timer);
        }
        report("open-lines", open, baseOpen);
        report("open-lines-footers", footers, baseFooters);
        report("sort-lines", sort, baseSort);
        dmfm->ADOQuery13->Close();
    }

    // All products opened in a grid.
    {
        DataGrid grid;
        showGrid(grid, productColumns(), dmfm->ADOQuery12);
        Figure open;
        Figure base;
        for (int run = 0; run < 9; ++run)
            open.ms << showInGrid(grid, *dmfm->ADOQuery12, QStringLiteral("select * from sp"), {});
        for (int run = 0; run < 9; ++run) {
            QElapsedTimer timer;
            timer.start();
            bare.run("select rowid, * from sp limit 256");
            bare.run("select count(*) from sp");
            base.ms << elapsedMs(timer);
        }
        report("open-products", open, base);
        dmfm->ADOQuery12->Close();
    }

    RunSalesFigures();
    RunCatalogueFigures();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("rss_mb=%ld\n", usage.ru_maxrss / 1024);
    DestroyWindows();
    Msg::SetHandler(nullptr);
    return 0;
}
