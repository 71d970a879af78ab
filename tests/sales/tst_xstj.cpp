// The sales records window driven through its widgets: what it shows when opened, the
// live filters, deleting a line through the line panel, and the charts' visibility.

#include "components/datagrid.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "fixture.h"
#include "history.h"
#include "sales/Unit4.h"
#include "sales/salelinepanel.h"
#include "sales/saleschart.h"
#include "shell/skins/skins.h"

#include "components/printing.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

namespace {

template <class W> W *child(const char *name)
{
    W *widget = xstj->findChild<W *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

int count(const char *table)
{
    return Db::Scalar(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table)))
        .toInt();
}

// Three lines of this month (two sales) on top of the old history; a line of last month.
void addThisMonth()
{
    const QDate today = QDate::currentDate();
    const QByteArray first = DateText(QDate(today.year(), today.month(), 1)).toLatin1();
    const QByteArray now = DateText(today).toLatin1();
    const QByteArray before =
        DateText(QDate(today.year(), today.month(), 1).addDays(-1)).toLatin1();
    AddSaleLine({"T1", "可乐", "330ml", "6901", "饮料", "张三", 3, 3.5, 2, first.constData()});
    AddSaleLine({"T1", "it's 果汁", "1L", "6902", "饮料", "张三", 0, 8, 1, first.constData()});
    AddSaleLine({"T2", "面包", "个", "6903", "烘焙", "李四", 5, 6, 3, now.constData()});
    AddSaleLine({"T0", "旧货", "个", "6904", "杂货", "李四", 1, 1, 1, before.constData()});
    AddSummary("T1", "张三", 15, 3, first.constData());
    AddSummary("T2", "李四", 18, 3.6, now.constData());
    AddSummary("T0", "李四", 1, 0.2, before.constData());
}

} // namespace

class TestXstj : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture.Start();
        AddHistory();
        addThisMonth();
    }
    void cleanup()
    {
        if (xstj)
            xstj->hide();
        m_fixture.Stop();
    }

    void opensOnTheCurrentMonth();
    void filtersRunOnEveryKeystroke();
    void deleteKeyOpensTheLinePanel();
    void chartsForTheAdministratorOnly();
    void reopeningShowsNewSales();
    void exportAndPrintTheLines();
    void gridsKeepTheirFontInEveryLook();

private:
    Fixture m_fixture;
};

void TestXstj::opensOnTheCurrentMonth()
{
    QVERIFY(m_fixture.Login());
    // The main window's show has already loaded the month into the shared datasets.
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), 3);
    xstj->show();
    QVERIFY(QTest::qWaitForWindowExposed(xstj));
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), 3);
    QCOMPARE(dmfm->ADOQuery9->RecordCount(), 2);
    auto *lines = child<DataGrid>("lineGrid");
    QCOMPARE(lines->FooterText(QStringLiteral("6")), QStringLiteral("33"));
    QCOMPARE(lines->FooterText(QStringLiteral("h")), QStringLiteral("合计"));
    QCOMPARE(child<QComboBox>("categoryBox")->count(), 5);
    QCOMPARE(child<QComboBox>("categoryBox")->currentText(), QString());

    const QString year = QString::number(QDate::currentDate().year());
    for (const char *name : {"monthYearBox", "dayYearBox"}) {
        auto *box = child<QComboBox>(name);
        QCOMPARE(box->currentText(), year);
        QVERIFY(box->findText(QStringLiteral("2012")) >= 0);
        QVERIFY(box->findText(QStringLiteral("2011")) < 0);
    }
    QCOMPARE(child<QComboBox>("dayMonthBox")->currentText(),
             QString::number(QDate::currentDate().month()));
    // Profit shows at first: this month's two sales.
    auto *dayChart = child<SalesChart>("dayChart");
    double profit = 0;
    for (const auto &point : dayChart->Points())
        profit += point.second;
    QCOMPARE(profit, 6.6);

    // Sales of a typed year.
    child<QComboBox>("monthYearBox")->setEditText(QStringLiteral("2012"));
    child<QPushButton>("monthSalesButton")->click();
    QCOMPARE(child<SalesChart>("monthChart")->ValueMarks(),
             (QStringList{QStringLiteral("52"), QStringLiteral("10"), QStringLiteral("12")}));
    // A year that is no number draws nothing and says nothing.
    child<QComboBox>("monthYearBox")->setEditText(QStringLiteral("20'2"));
    child<QPushButton>("monthProfitButton")->click();
    QVERIFY(child<SalesChart>("monthChart")->Points().isEmpty());
    QVERIFY(m_fixture.Messages().isEmpty());

    const QString shots = qEnvironmentVariable("ZENTRIK_SHOTS");
    if (!shots.isEmpty()) {
        child<QComboBox>("monthYearBox")->setEditText(year);
        child<QPushButton>("monthProfitButton")->click();
        xstj->grab().save(QDir(shots).filePath(QStringLiteral("xstj-detail.png")));
        child<QTabWidget>("pages")->setCurrentIndex(1);
        QTest::qWait(50);
        xstj->grab().save(QDir(shots).filePath(QStringLiteral("xstj-statistics.png")));
    }
}

void TestXstj::filtersRunOnEveryKeystroke()
{
    QVERIFY(m_fixture.Login());
    xstj->show();
    QVERIFY(QTest::qWaitForWindowExposed(xstj));
    auto *name = child<QLineEdit>("nameBox");
    // A quote filters like any other letter; a line without a member price is found.
    QTest::keyClicks(name, QStringLiteral("it'"));
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), 2);
    QTest::keyClicks(name, QStringLiteral("s "));
    name->insert(QStringLiteral("果"));
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), 2);
    child<QLineEdit>("codeBox")->setText(QStringLiteral("69"));
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), 1);
    QVERIFY(m_fixture.Messages().isEmpty());

    // "清空条件" empties the name and code; the list shows every line again.
    child<QPushButton>("clearButton")->click();
    QCOMPARE(name->text(), QString());
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), count("data1"));

    // A double-click on a summary filters both lists by its sale number.
    auto *summaries = child<DataGrid>("summaryGrid");
    emit summaries->RowDoubleClicked(0);
    const QString number = child<QLineEdit>("saleNumberBox")->text();
    QVERIFY(!number.isEmpty());
    for (int i = 0; i < dmfm->ADOQuery13->RecordCount(); ++i)
        QVERIFY(dmfm->ADOQuery13->Value(i, QStringLiteral("h")).toString().contains(number));
    QCOMPARE(dmfm->ADOQuery9->RecordCount(), 1);

    // "当 天": today's lines only.
    child<QLineEdit>("saleNumberBox")->clear();
    child<QPushButton>("todayButton")->click();
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), 1);
    QCOMPARE(dmfm->ADOQuery13->Value(0, QStringLiteral("h")).toString(), QStringLiteral("T2"));
    // "全部记录" lists everything, the filter fields keep their text.
    child<QLineEdit>("operatorBox")->setText(QStringLiteral("李"));
    child<QPushButton>("allButton")->click();
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), count("data1"));
    QCOMPARE(dmfm->ADOQuery9->RecordCount(), count("data3"));
    QCOMPARE(child<QLineEdit>("operatorBox")->text(), QStringLiteral("李"));
}

void TestXstj::deleteKeyOpensTheLinePanel()
{
    QVERIFY(m_fixture.Login());
    xstj->show();
    QVERIFY(QTest::qWaitForWindowExposed(xstj));
    auto *grid = child<DataGrid>("lineGrid");
    Dataset *lines = dmfm->ADOQuery13;
    int row = -1;
    for (int i = 0; i < lines->RecordCount(); ++i)
        if (lines->Value(i, QStringLiteral("a")).toString() == QStringLiteral("可乐"))
            row = i;
    QVERIFY(row >= 0);
    lines->SetCurrentRow(row);
    QCOMPARE(grid->SelectedRow(), row);
    grid->view()->setFocus();
    QTest::keyClick(grid->view(), Qt::Key_Delete);
    auto *panel = child<SaleLinePanel>("linePanel");
    QVERIFY(panel->isVisible());
    // Each caption shows its own value.
    QCOMPARE(panel->ValueOf(QStringLiteral("销售单价：")), QStringLiteral("3.5"));
    QCOMPARE(panel->ValueOf(QStringLiteral("销售数量：")), QStringLiteral("2"));
    QCOMPARE(panel->ValueOf(QStringLiteral("销售金额：")), QStringLiteral("7"));
    QCOMPARE(panel->ValueOf(QStringLiteral("商品编码：")), QStringLiteral("6901"));
    QCOMPARE(panel->ValueOf(QStringLiteral("欠款金额：")), QString());
    QCOMPARE(panel->ValueOf(QStringLiteral("客户编号：")), QString());
    const QString shots = qEnvironmentVariable("ZENTRIK_SHOTS");
    if (!shots.isEmpty())
        xstj->grab().save(QDir(shots).filePath(QStringLiteral("xstj-linepanel.png")));

    const int summaries = count("data3");
    child<QLineEdit>("nameBox")->setText(QStringLiteral("旧货")); // another period's filter
    lines->SetCurrentRow(0);
    QTest::keyClick(grid->view(), Qt::Key_Delete);
    QVERIFY(panel->isVisible());
    child<QPushButton>("lineDeleteButton")->click();
    QVERIFY(!panel->isVisible());
    QCOMPARE(m_fixture.MessageTexts(), QStringList{QStringLiteral("删除销售记录成功！")});
    QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data1 where a = ?"),
                        {QStringLiteral("旧货")})
                 .toInt(),
             0);
    QCOMPARE(count("data3"), summaries);
    // The list is back on the current month.
    QCOMPARE(lines->RecordCount(), 3);
}

void TestXstj::chartsForTheAdministratorOnly()
{
    Db::InsertRow(QStringLiteral("userdb"), {{QStringLiteral("username"), QStringLiteral("收银员")},
                                             {QStringLiteral("passwd"), QStringLiteral("123")}});
    QVERIFY(m_fixture.Login(QStringLiteral("收银员"), QStringLiteral("123")));
    xstj->show();
    QVERIFY(QTest::qWaitForWindowExposed(xstj));
    child<QTabWidget>("pages")->setCurrentIndex(1);
    QVERIFY(!child<SalesChart>("monthChart")->isVisible());
    QVERIFY(!child<SalesChart>("dayChart")->isVisible());
    QVERIFY(child<QPushButton>("monthProfitButton")->isVisible());
    // The hidden charts keep their space: the query boxes and buttons stay where and as
    // large as the administrator sees them, instead of stretching across the page.
    const char *const side[] = {"monthYearBox", "monthProfitButton", "daySalesButton"};
    QList<QRect> withoutCharts;
    for (const char *name : side)
        withoutCharts << child<QWidget>(name)->geometry();
    xstj->ApplyOperator(QStringLiteral("超级管理员"));
    QVERIFY(!child<SalesChart>("monthChart")->isHidden());
    QCoreApplication::processEvents();
    for (qsizetype i = 0; i < std::ssize(side); ++i) {
        const QRect shown = child<QWidget>(side[i])->geometry();
        QCOMPARE(shown.size(), withoutCharts.at(i).size());
        QVERIFY((shown.topLeft() - withoutCharts.at(i).topLeft()).manhattanLength() <= 2);
    }
    QVERIFY(child<QWidget>("monthProfitButton")->width() < xstj->width() / 3);
    xstj->hide();
}

void TestXstj::reopeningShowsNewSales()
{
    QVERIFY(m_fixture.Login());
    xstj->show();
    QVERIFY(QTest::qWaitForWindowExposed(xstj));
    child<QLineEdit>("nameBox")->setText(QStringLiteral("可乐"));
    QCOMPARE(dmfm->ADOQuery9->RecordCount(), count("data3"));
    xstj->reject();
    const QByteArray today = DateText(QDate::currentDate()).toLatin1();
    AddSummary("T3", "张三", 3, 0.5, today.constData());
    AddSaleLine({"T3", "糖", "", "6905", "杂货", "张三", 1, 3, 1, today.constData()});
    xstj->show();
    QCOMPARE(dmfm->ADOQuery9->RecordCount(), 3);
    QCOMPARE(dmfm->ADOQuery13->RecordCount(), 4);
    QVERIFY(child<QComboBox>("categoryBox")->findText(QStringLiteral("杂货")) >= 0);
}

void TestXstj::exportAndPrintTheLines()
{
    QVERIFY(m_fixture.Login());
    xstj->show();
    QVERIFY(QTest::qWaitForWindowExposed(xstj));
    auto *view = child<DataGrid>("lineGrid")->view();
    view->setFocus();
    const QString book = m_fixture.FilePath(QStringLiteral("sales.xlsx"));
    m_fixture.NextFileName(book);
    QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(QFileInfo(book).size() > 0);

    const QString pdf = m_fixture.FilePath(QStringLiteral("sales.pdf"));
    Printing::SetPdfTarget(pdf);
    QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
    Printing::SetPdfTarget(QString());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    const QString shots = qEnvironmentVariable("ZENTRIK_SHOTS");
    if (!shots.isEmpty()) {
        QFile::remove(QDir(shots).filePath(QStringLiteral("sales-lines.pdf")));
        QFile::copy(pdf, QDir(shots).filePath(QStringLiteral("sales-lines.pdf")));
    }
    // The context menu offers exactly the two commands.
    QStringList menu;
    for (const QAction *action : view->actions())
        menu << action->text();
    QCOMPARE(menu, (QStringList{QStringLiteral("导出Excel"), QStringLiteral("打 印")}));
}

ZENTRIK_TEST_MAIN(TestXstj)
#include "tst_xstj.moc"

// The grids are laid out for their own font: no look may put a larger one over it, or the
// serial numbers and dates are cut short.
void TestXstj::gridsKeepTheirFontInEveryLook()
{
    QVERIFY(m_fixture.Login());
    for (int skin = -1; skin < Skins::Count(); ++skin) {
        qApp->setStyleSheet(Skins::Sheet(skin));
        xstj->show();
        QVERIFY(QTest::qWaitForWindowExposed(xstj));
        for (const char *name : {"summaryGrid", "lineGrid"}) {
            QTableView *view = child<DataGrid>(name)->view();
            QCOMPARE(QFontInfo(view->font()).pixelSize(), 13);
            QCOMPARE(view->verticalHeader()->defaultSectionSize(),
                     QFontMetrics(view->font()).height() + 10);
            QCOMPARE(view->horizontalHeader()->font().pixelSize(), 13);
        }
        xstj->hide();
    }
    qApp->setStyleSheet(QString());
}
