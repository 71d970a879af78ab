// Times what a cashier waits for, on a synthetic shop in a temporary folder, and sets
// each figure beside the bare SQLite work it stands on.
//
//   zentrik_bench [products] [sale lines]     (defaults 20000 and 300000)

#include "catalogue_bench.h"
#include "sales_bench.h"

#include "components/messages.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "shell/MAIN.h"
#include "shell/application.h"
#include "shell/settings.h"
#include "shell/startup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

// Median time of `runs` calls, in microseconds.
double timeIt(int runs, const std::function<void(int)> &work)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        times << timer.nsecsElapsed() / 1000.0;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char *what, double us, double bareUs)
{
    std::printf("%-44s %10.1f us   bare %9.1f us   ratio %6.1f\n", what, us, bareUs,
                bareUs > 0 ? us / bareUs : 0.0);
}

QString code(int i)
{
    return QStringLiteral("69%1").arg(i, 11, 10, QLatin1Char('0'));
}

void buildShop(int products, int saleLines)
{
    QRandomGenerator random(42);
    Db::Transaction transaction;
    for (int i = 0; i < products; ++i) {
        const double cost = 1 + random.bounded(5000) / 100.0;
        Db::InsertRow(QStringLiteral("sp"),
                      {{QStringLiteral("商品编码"), code(i)},
                       {QStringLiteral("商品类别"), QStringLiteral("类别%1").arg(i % 40)},
                       {QStringLiteral("商品名称"), QStringLiteral("商品%1号").arg(i)},
                       {QStringLiteral("规格型号"), QStringLiteral("500ml")},
                       {QStringLiteral("进货单价"), cost},
                       {QStringLiteral("销售单价"), cost * 1.3},
                       {QStringLiteral("会员价"), cost * 1.2},
                       {QStringLiteral("单位"), QStringLiteral("瓶")},
                       {QStringLiteral("供货商"), QStringLiteral("供货商%1").arg(i % 90)}});
    }
    const QDate first = QDate::currentDate().addYears(-3);
    for (int i = 0; i < saleLines; ++i) {
        const int product = random.bounded(products);
        Db::InsertRow(QStringLiteral("data1"),
                      {{QStringLiteral("a"), QStringLiteral("商品%1号").arg(product)},
                       {QStringLiteral("c"), code(product)},
                       {QStringLiteral("h"), QStringLiteral("CJG%1").arg(i / 4)},
                       {QStringLiteral("i"), QStringLiteral("超级管理员")},
                       {QStringLiteral("2"), 1.0 + random.bounded(3)},
                       {QStringLiteral("6"), 5.0},
                       {QStringLiteral("7"), 1.0},
                       {QStringLiteral("day1"), DateText(first.addDays(i * 1095 / saleLines))}});
    }
    transaction.Commit();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ZentrikApplication app(argc, argv);
    const int products = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    const int saleLines = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 300000;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    Settings::SetConfigDirectory(dir.path());
    Msg::SetHandler([](const Msg::Record &) { return true; });
    CreateWindows();

    QElapsedTimer build;
    build.start();
    buildShop(products, saleLines);
    std::printf("synthetic shop: %d products, %d sale lines, built in %.1f s\n", products,
                saleLines, build.elapsed() / 1000.0);

    MainForm->show();
    MainForm->BeginSession(QStringLiteral("超级管理员"));
    auto *codeBox = MainForm->findChild<QLineEdit *>(QStringLiteral("codeBox"));
    const int runs = 200;

    // A scan: the code reaches the cart, merged into a line of a cart of up to 20 lines.
    const double scan = timeIt(runs, [&](int i) {
        codeBox->setText(code((i * 7919) % 20 + 1));
        codeBox->returnPressed();
    });
    const double bareScan = timeIt(runs, [&](int i) {
        const QString c = code((i * 7919) % 20 + 1);
        Db::Run(QStringLiteral("select * from sp where 商品编码=?"), {c}).next();
        Db::Run(QStringLiteral("update data set \"2\"=\"2\"+1 where c=?"), {c});
        QSqlQuery q = Db::Run(QStringLiteral("select * from data order by id"));
        while (q.next()) {
        }
    });
    report("scan to cart (lookup, merge, reload, totals)", scan, bareScan);

    // The month of sale lines the sales records open with.
    const QDate today = QDate::currentDate();
    const QVariantList month = {DateText(QDate(today.year(), today.month(), 1)),
                                DateText(QDate(today.year(), today.month(), 1).addMonths(1))};
    const QString monthSql =
        QStringLiteral("select * from data1 where day1 >= ? and day1 < ? order by ID");
    const double openMonth = timeIt(20, [&](int) { dmfm->ADOQuery13->Open(monthSql, month); });
    const double bareMonth = timeIt(20, [&](int) {
        QSqlQuery q = Db::Run(monthSql, month);
        while (q.next()) {
        }
    });
    report("open a month of sale lines", openMonth, bareMonth);

    RunSalesFigures();
    RunCatalogueFigures();

    DestroyWindows();
    Msg::SetHandler(nullptr);
    return 0;
}
