#include "components/datagrid.h"
#include "data/dataset.h"
#include "data/db.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QTableView>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

struct Line
{
    QString code;
    double quantity;
    double amount;
};

// The cart's columns, plus a code column for reading the row order.
QList<GridColumn> cartColumns()
{
    auto column = [](const char *field, const char *title, int width) {
        GridColumn c;
        c.field = QString::fromUtf8(field);
        c.title = QString::fromUtf8(title);
        c.width = width;
        return c;
    };
    QList<GridColumn> columns{column("c", "商品编码", 100), column("a", "商品名称", 240),
                              column("2", "数 量", 100),    column("z", "单 位", 60),
                              column("6", "金 额", 100),    column("7", "利润", 100)};
    columns[2].footer = GridColumn::Footer::Sum;
    columns[4].footer = GridColumn::Footer::Sum;
    columns[4].footerFormat = QStringLiteral("0.00");
    columns[5].footer = GridColumn::Footer::Sum;
    columns[5].visible = false;
    return columns;
}

} // namespace

class TestDataGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void footers_data();
    void footers();
    void footerFormats();
    void footersFollowTheDataset();
    void titleClicksSortAndAdvanceMarkers();
    void splitTitle_data();
    void splitTitle();
    void twoLevelTitles();
    void currentRowInStep();
    void deletingTheCurrentRowKeepsStep();
    void multiSelection();
    void cellText_data();
    void cellText();
    void columnsShareTheWidth();
    void draggingABorderKeepsTheFit();

private:
    void fill(const QList<Line> &lines);
    void clickTitle(const QString &field, int y = -1);
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {});
    QStringList codes() const;

    std::unique_ptr<Dataset> m_dataset;
    std::unique_ptr<DataGrid> m_grid;
};

void TestDataGrid::initTestCase()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Db::ConnectionName());
    db.setDatabaseName(QStringLiteral(":memory:"));
    QVERIFY(db.open());
    Db::Run(QStringLiteral("create table data (id integer primary key autoincrement, a text, "
                           "c text, z text, \"2\" double, \"6\" double, \"7\" double, day1 date)"));
}

void TestDataGrid::init()
{
    m_dataset = std::make_unique<Dataset>(QStringLiteral("ADOQuery15"), QStringLiteral("data"),
                                          QStringLiteral("select * from data order by id"));
    m_grid = std::make_unique<DataGrid>();
    m_grid->SetColumns(cartColumns());
    m_grid->resize(800, 300);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void TestDataGrid::cleanup()
{
    m_grid.reset();
    m_dataset.reset();
}

void TestDataGrid::fill(const QList<Line> &lines)
{
    Db::Run(QStringLiteral("delete from data"));
    for (const Line &line : lines)
        Db::InsertRow(QStringLiteral("data"),
                      {{QStringLiteral("c"), line.code},
                       {QStringLiteral("a"), line.code + QStringLiteral("名")},
                       {QStringLiteral("2"), line.quantity},
                       {QStringLiteral("6"), line.amount},
                       {QStringLiteral("7"), line.amount / 10}});
    m_dataset->Open();
    m_grid->SetDataset(m_dataset.get());
}

void TestDataGrid::clickTitle(const QString &field, int y)
{
    QHeaderView *header = m_grid->view()->horizontalHeader();
    int column = -1;
    for (int i = 0; i < m_grid->columns().size(); ++i)
        if (m_grid->columns()[i].field == field)
            column = i;
    QVERIFY(column >= 0);
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    y < 0 ? header->height() - 4 : y);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void TestDataGrid::clickRow(int row, Qt::KeyboardModifiers modifiers)
{
    QTableView *view = m_grid->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                      view->visualRect(view->model()->index(row, 1)).center());
}

QStringList TestDataGrid::codes() const
{
    QStringList result;
    for (int row = 0; row < m_dataset->RecordCount(); ++row)
        result << m_dataset->Value(row, QStringLiteral("c")).toString();
    return result;
}

void TestDataGrid::footers_data()
{
    QTest::addColumn<QList<Line>>("lines");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<double>("profit");

    QTest::newRow("cart") << QList<Line>{{QStringLiteral("A"), 1, 3},
                                         {QStringLiteral("B"), 2.5, 12.8}}
                          << QStringLiteral("3.5") << QStringLiteral("15.80") << 1.58;
    QTest::newRow("tenths") << QList<Line>{{QStringLiteral("A"), 0.1, 0.1},
                                           {QStringLiteral("B"), 0.2, 0.2}}
                            << QStringLiteral("0.3") << QStringLiteral("0.30") << 0.03;
    QTest::newRow("whole") << QList<Line>{{QStringLiteral("A"), 3, 15.8}} << QStringLiteral("3")
                           << QStringLiteral("15.80") << 1.58;
    QTest::newRow("empty") << QList<Line>{} << QStringLiteral("0") << QStringLiteral("0.00") << 0.0;
}

void TestDataGrid::footers()
{
    QFETCH(QList<Line>, lines);
    QFETCH(QString, quantity);
    QFETCH(QString, amount);
    QFETCH(double, profit);

    fill(lines);
    QCOMPARE(m_grid->FooterText(QStringLiteral("2")), quantity);
    QCOMPARE(m_grid->FooterText(QStringLiteral("6")), amount);
    // The hidden profit column is summed too; code reads it.
    QCOMPARE(m_grid->FooterValue(QStringLiteral("7")), profit);
    QCOMPARE(m_grid->FooterText(QStringLiteral("c")), QString());
}

void TestDataGrid::footerFormats()
{
    QList<GridColumn> columns = cartColumns();
    columns[0].footer = GridColumn::Footer::Text;
    columns[0].footerFormat = QStringLiteral("合计");
    columns[1].footer = GridColumn::Footer::Count;
    columns[1].footerFormat = QStringLiteral("共%1条");
    columns[4].footerFormat = QStringLiteral("共:0.00元");
    m_grid->SetColumns(columns);
    fill({{QStringLiteral("A"), 1, 3}, {QStringLiteral("B"), 2, 12.8}});

    QCOMPARE(m_grid->FooterText(QStringLiteral("c")), QStringLiteral("合计"));
    QCOMPARE(m_grid->FooterText(QStringLiteral("a")), QStringLiteral("共2条"));
    QCOMPARE(m_grid->FooterValue(QStringLiteral("a")), 2.0);
    QCOMPARE(m_grid->FooterText(QStringLiteral("6")), QStringLiteral("共:15.80元"));
}

void TestDataGrid::footersFollowTheDataset()
{
    fill({{QStringLiteral("A"), 1, 3}, {QStringLiteral("B"), 2, 4}, {QStringLiteral("C"), 4, 8}});
    QCOMPARE(m_grid->FooterText(QStringLiteral("6")), QStringLiteral("15.00"));

    m_dataset->DeleteRow(0);
    QCOMPARE(m_grid->FooterText(QStringLiteral("2")), QStringLiteral("6"));
    QCOMPARE(m_grid->FooterText(QStringLiteral("6")), QStringLiteral("12.00"));

    m_dataset->Post(0, {{QStringLiteral("2"), 2.5}, {QStringLiteral("6"), 0.25}});
    QCOMPARE(m_grid->FooterText(QStringLiteral("2")), QStringLiteral("6.5"));
    QCOMPARE(m_grid->FooterText(QStringLiteral("6")), QStringLiteral("8.25"));

    m_dataset->Open(QStringLiteral("select * from data where c = ?"), {QStringLiteral("C")});
    QCOMPARE(m_grid->FooterText(QStringLiteral("2")), QStringLiteral("4"));
    m_dataset->Close();
    QCOMPARE(m_grid->FooterText(QStringLiteral("6")), QStringLiteral("0.00"));
}

void TestDataGrid::titleClicksSortAndAdvanceMarkers()
{
    using M = DataGrid::SortMarker;
    fill({{QStringLiteral("A"), 2, 1}, {QStringLiteral("B"), 3, 1}, {QStringLiteral("C"), 1, 1}});
    QStringList sortedWhenSignalled;
    connect(m_grid.get(), &DataGrid::TitleClicked, this,
            [&](const QString &) { sortedWhenSignalled << codes().join(QString()); });
    QSignalSpy titles(m_grid.get(), &DataGrid::TitleClicked);

    struct Step
    {
        const char *field;
        M quantity;
        M code;
        const char *order;
    };
    const Step steps[] = {
        {"2", M::Down, M::None, "BAC"}, // first click: descending
        {"2", M::Up, M::None, "CAB"},   // then each click reverses
        {"2", M::Down, M::None, "BAC"},
        {"c", M::None, M::Down, "CBA"}, // another column starts descending, clears the rest
        {"c", M::None, M::Up, "ABC"},
    };
    for (const Step &step : steps) {
        clickTitle(QString::fromUtf8(step.field));
        QCOMPARE(m_grid->Marker(QStringLiteral("2")), step.quantity);
        QCOMPARE(m_grid->Marker(QStringLiteral("c")), step.code);
        QCOMPARE(codes().join(QString()), QString::fromUtf8(step.order));
        QCOMPARE(titles.takeFirst().at(0).toString(), QString::fromUtf8(step.field));
        QCOMPARE(sortedWhenSignalled.takeFirst(), QString::fromUtf8(step.order));
    }

    clickTitle(QStringLiteral("2"));
    m_dataset->Open(); // a new query: fetched order, no markers
    QCOMPARE(m_grid->Marker(QStringLiteral("2")), M::None);
    QCOMPARE(m_grid->Marker(QStringLiteral("c")), M::None);
    QCOMPARE(codes(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    clickTitle(QStringLiteral("2"));
    QCOMPARE(m_grid->Marker(QStringLiteral("2")), M::Down);
    QCOMPARE(codes().join(QString()), QStringLiteral("BAC"));
}

void TestDataGrid::splitTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("lower");
    QTest::newRow("two levels") << QStringLiteral("销售单|流水号") << QStringLiteral("销售单")
                                << QStringLiteral("流水号");
    QTest::newRow("one level") << QStringLiteral("商品编码") << QString()
                               << QStringLiteral("商品编码");
    QTest::newRow("blanks kept") << QStringLiteral("商 品 信 息| 名 称")
                                 << QStringLiteral("商 品 信 息") << QStringLiteral(" 名 称");
}

void TestDataGrid::splitTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, top);
    QFETCH(QString, lower);
    QCOMPARE(DataGrid::SplitTitle(title), qMakePair(top, lower));
}

void TestDataGrid::twoLevelTitles()
{
    const int singleHeight = m_grid->view()->horizontalHeader()->height();
    QList<GridColumn> columns = cartColumns();
    columns[0].title = QStringLiteral("商品|编码");
    columns[1].title = QStringLiteral("商品|名称");
    m_grid->SetColumns(columns);
    fill({{QStringLiteral("A"), 2, 1}, {QStringLiteral("B"), 3, 1}});
    QHeaderView *header = m_grid->view()->horizontalHeader();
    QVERIFY(header->height() > singleHeight);

    // The band above belongs to the group: clicking it does not sort.
    clickTitle(QStringLiteral("c"), 3);
    QCOMPARE(m_grid->Marker(QStringLiteral("c")), DataGrid::SortMarker::None);
    QCOMPARE(m_dataset->SortField(), QString());
    clickTitle(QStringLiteral("c"));
    QCOMPARE(m_grid->Marker(QStringLiteral("c")), DataGrid::SortMarker::Down);
    QCOMPARE(codes().join(QString()), QStringLiteral("BA"));
    // A one-level title fills the whole height.
    clickTitle(QStringLiteral("2"), 3);
    QCOMPARE(m_grid->Marker(QStringLiteral("2")), DataGrid::SortMarker::Down);
}

void TestDataGrid::currentRowInStep()
{
    fill({{QStringLiteral("A"), 2, 1},
          {QStringLiteral("B"), 3, 1},
          {QStringLiteral("C"), 1, 1},
          {QStringLiteral("D"), 4, 1}});
    QTableView *view = m_grid->view();
    QCOMPARE(view->currentIndex().row(), 0); // Open positions on the first row

    m_dataset->SetCurrentRow(2);
    QCOMPARE(view->currentIndex().row(), 2);
    QCOMPARE(m_grid->SelectedRow(), 2);
    QCOMPARE(m_grid->SelectedRows(), QList<int>{2});

    QSignalSpy clicks(m_grid.get(), &DataGrid::RowClicked);
    QSignalSpy doubleClicks(m_grid.get(), &DataGrid::RowDoubleClicked);
    clickRow(1);
    QCOMPARE(m_dataset->CurrentRow(), 1);
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.takeFirst().at(0).toInt(), 1);
    clickRow(1); // the same row again: no change of row
    QCOMPARE(clicks.size(), 0);
    // A double-click arrives as a click followed by the double-click event.
    clickRow(3);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualRect(view->model()->index(3, 1)).center());
    QCOMPARE(m_dataset->CurrentRow(), 3);
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(doubleClicks.size(), 1);
    QCOMPARE(doubleClicks.takeFirst().at(0).toInt(), 3);

    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(m_dataset->CurrentRow(), 2);

    // Sorting keeps the same record current; the view follows it to its new place.
    clickTitle(QStringLiteral("2"));
    QCOMPARE(m_dataset->Value(m_dataset->CurrentRow(), QStringLiteral("c")).toString(),
             QStringLiteral("C"));
    QCOMPARE(view->currentIndex().row(), m_dataset->CurrentRow());
    QVERIFY(view->selectionModel()->isRowSelected(m_dataset->CurrentRow(), {}));

    m_dataset->Close();
    QCOMPARE(m_grid->SelectedRow(), -1);
    QCOMPARE(m_grid->SelectedRows(), QList<int>());
}

void TestDataGrid::deletingTheCurrentRowKeepsStep()
{
    fill({{QStringLiteral("A"), 1, 1},
          {QStringLiteral("B"), 1, 1},
          {QStringLiteral("C"), 1, 1},
          {QStringLiteral("D"), 1, 1}});
    m_dataset->SetCurrentRow(1);
    m_dataset->DeleteRow(1);
    // The line after the deleted one becomes current, in the dataset and in the view.
    QCOMPARE(m_dataset->CurrentRow(), 1);
    QCOMPARE(m_dataset->Value(1, QStringLiteral("c")).toString(), QStringLiteral("C"));
    QCOMPARE(m_grid->view()->currentIndex().row(), 1);
    QCOMPARE(m_grid->SelectedRows(), QList<int>{1});

    m_dataset->SetCurrentRow(2);
    m_dataset->DeleteRow(2); // the last line: the one before it becomes current
    QCOMPARE(m_dataset->CurrentRow(), 1);
    QCOMPARE(m_grid->view()->currentIndex().row(), 1);
}

void TestDataGrid::multiSelection()
{
    fill({{QStringLiteral("A"), 1, 1}, {QStringLiteral("B"), 1, 1}, {QStringLiteral("C"), 1, 1}});
    // Single selection: Ctrl-click neither adds rows nor empties the selection.
    clickRow(2, Qt::ControlModifier);
    clickRow(2, Qt::ControlModifier);
    QCOMPARE(m_grid->SelectedRows(), QList<int>{2});

    m_grid->SetMultiSelect(true);
    clickRow(0);
    clickRow(2, Qt::ControlModifier);
    QCOMPARE(m_grid->SelectedRows(), (QList<int>{0, 2}));
    QCOMPARE(m_grid->SelectedRow(), 2);
    clickRow(1);
    QCOMPARE(m_grid->SelectedRows(), QList<int>{1});
    clickRow(2, Qt::ShiftModifier);
    QCOMPARE(m_grid->SelectedRows(), (QList<int>{1, 2}));

    m_grid->SetMultiSelect(false); // the current row stays selected
    QCOMPARE(m_grid->SelectedRows(), QList<int>{2});
}

void TestDataGrid::cellText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("double") << QVariant(15.800000000000001) << QStringLiteral("15.8");
    QTest::newRow("whole double") << QVariant(3.0) << QStringLiteral("3");
    QTest::newRow("integer") << QVariant(qlonglong(12)) << QStringLiteral("12");
    QTest::newRow("null") << QVariant(QMetaType(QMetaType::Double)) << QString();
    QTest::newRow("date") << QVariant(QDate(2013, 9, 3)) << QStringLiteral("2013-09-03");
    QTest::newRow("midnight") << QVariant(QDateTime(QDate(2013, 9, 3), QTime(0, 0)))
                              << QStringLiteral("2013-09-03");
    QTest::newRow("date text") << QVariant(QStringLiteral("2013-09-03"))
                               << QStringLiteral("2013-09-03");
    QTest::newRow("iso midnight") << QVariant(QStringLiteral("2013-09-03T00:00:00.000"))
                                  << QStringLiteral("2013-09-03");
    QTest::newRow("iso time") << QVariant(QStringLiteral("2013-09-03T18:02:11"))
                              << QStringLiteral("2013-09-03 18:02:11");
    QTest::newRow("text") << QVariant(QStringLiteral("入库 2013-09-03T1"))
                          << QStringLiteral("入库 2013-09-03T1");
}

void TestDataGrid::cellText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QCOMPARE(DataGrid::CellText(value), text);
}

void TestDataGrid::columnsShareTheWidth()
{
    fill({{QStringLiteral("A"), 0.1 + 0.2, 1}});
    QTableView *view = m_grid->view();
    QCOMPARE(view->model()->index(0, 2).data().toString(), QStringLiteral("0.3"));
    QVERIFY(view->isColumnHidden(5));

    for (const int width : {800, 517}) {
        m_grid->resize(width, 300);
        QCoreApplication::processEvents();
        const int available = view->viewport()->width();
        const QList<int> design{100, 240, 100, 60, 100};
        int sum = 0;
        for (int i = 0; i < design.size(); ++i) {
            const int size = view->horizontalHeader()->sectionSize(i);
            QVERIFY2(std::abs(size - design[i] * available / 600.0) <= 1.0,
                     qPrintable(QStringLiteral("column %1: %2").arg(i).arg(size)));
            sum += size;
        }
        QCOMPARE(sum, available);
    }
}

void TestDataGrid::draggingABorderKeepsTheFit()
{
    fill({{QStringLiteral("A"), 1, 1}});
    QHeaderView *header = m_grid->view()->horizontalHeader();
    const int available = m_grid->view()->viewport()->width();
    const int name = header->sectionSize(1);
    const int code = header->sectionSize(0);
    const QPoint border(header->sectionViewportPosition(1) + name - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, border);
    QTest::mouseMove(header->viewport(), border + QPoint(40, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, border + QPoint(40, 0));

    QCOMPARE(header->sectionSize(1), name + 40);
    QCOMPARE(header->sectionSize(0), code);
    int sum = 0;
    for (int i = 0; i < 5; ++i)
        sum += header->sectionSize(i);
    QCOMPARE(sum, available); // the columns to the right gave the room
    QCOMPARE(m_grid->Marker(QStringLiteral("a")), DataGrid::SortMarker::None);

    // Later fits keep the proportions the user chose.
    m_grid->resize(m_grid->width() / 2, m_grid->height());
    QCoreApplication::processEvents();
    QVERIFY(std::abs(header->sectionSize(1) * 2 - (name + 40)) <= 2);
}

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
