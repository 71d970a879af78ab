#include "catalogue/workbook.h"
#include "components/datagrid.h"
#include "components/gridexporter.h"
#include "data/dataset.h"
#include "data/db.h"
#include "fixture.h"

#include <QFile>
#include <QtTest>
#include <memory>

namespace {

GridColumn column(const char *field, int width,
                  GridColumn::Footer footer = GridColumn::Footer::None)
{
    GridColumn c;
    c.field = QString::fromUtf8(field);
    c.title = c.field;
    c.width = width;
    c.footer = footer;
    return c;
}

QVariant cell(const Workbook::Sheet &sheet, int row, int column)
{
    if (row >= sheet.size() || column >= sheet[row].size())
        return {};
    return sheet[row][column];
}

} // namespace

class TestGridExporter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void exportMatchesTheGridInItsOrder();
    void emptyListWritesNothing();
    void overwriteNeedsYes();
    void cancelledExportLeavesNoFile();

private:
    QString exportTo(const QString &name);

    Fixture m_fixture;
    std::unique_ptr<Dataset> m_dataset;
    std::unique_ptr<DataGrid> m_grid;
};

void TestGridExporter::init()
{
    m_fixture.Start();
    m_fixture.AddProduct(QStringLiteral("6920000000017"), QStringLiteral("矿泉水"), 1, 2, 1.5);
    m_fixture.AddProduct(QStringLiteral("A-2"), QStringLiteral("5'寸 相框"), 3.25, 9.9, 8);
    m_fixture.AddProduct(QStringLiteral("0003"), QStringLiteral("毛巾"), 4, 6.5, 6);
    // A product with empty cells, as an import can leave them.
    Db::Run(QStringLiteral("update sp set 规格型号 = null where 商品编码 = '0003'"));
    m_dataset = std::make_unique<Dataset>(QStringLiteral("test"), QStringLiteral("sp"),
                                          QStringLiteral("select * from sp"));
    m_dataset->Open();
    m_grid = std::make_unique<DataGrid>();
    m_grid->SetColumns({column("商品编码", 120), column("商品名称", 160), column("规格型号", 120),
                        column("销售单价", 80, GridColumn::Footer::Sum)});
    m_grid->SetDataset(m_dataset.get());
}

void TestGridExporter::cleanup()
{
    m_grid.reset();
    m_dataset.reset();
    m_fixture.Stop();
}

QString TestGridExporter::exportTo(const QString &name)
{
    const QString path = m_fixture.FilePath(name);
    m_fixture.NextFileName(path);
    GridExporter::Export(nullptr, m_grid.get(), QStringLiteral("全部商品清单"),
                         QStringLiteral("ZentrikPOS收银系统"));
    return path;
}

void TestGridExporter::exportMatchesTheGridInItsOrder()
{
    m_dataset->Sort(QStringLiteral("销售单价"), Qt::DescendingOrder);
    const QString path = exportTo(QStringLiteral("list")); // the extension is added
    QCOMPARE(m_fixture.OpenedUrls(),
             QList<QUrl>{QUrl::fromLocalFile(path + QStringLiteral(".xlsx"))});

    Workbook::Sheet sheet;
    QCOMPARE(Workbook::ReadSheet(path + QStringLiteral(".xlsx"), QStringLiteral("Sheet1"), &sheet),
             Workbook::ReadError::None);
    QCOMPARE(cell(sheet, 0, 3).toString(), QStringLiteral("全部商品清单"));
    QCOMPARE(cell(sheet, 1, 0).toString(), QStringLiteral("制表人：ZentrikPOS收银系统"));
    QVERIFY(cell(sheet, 1, 5).toString().startsWith(QStringLiteral("制表时间：")));
    QCOMPARE(sheet[2], (QVariantList{QStringLiteral("商品编码"), QStringLiteral("商品名称"),
                                     QStringLiteral("规格型号"), QStringLiteral("销售单价")}));

    // One row per listed row, in the grid's order: codes stay texts, prices are numbers,
    // the null is an empty cell.
    QCOMPARE(sheet.size(), 3 + m_dataset->RecordCount() + 1);
    for (int r = 0; r < m_dataset->RecordCount(); ++r) {
        const QVariantList &row = sheet[3 + r];
        QCOMPARE(cell(sheet, 3 + r, 0).typeId(), QMetaType::QString);
        QCOMPARE(row.value(0).toString(),
                 m_dataset->Value(r, QStringLiteral("商品编码")).toString());
        QCOMPARE(row.value(1).toString(),
                 m_dataset->Value(r, QStringLiteral("商品名称")).toString());
        QCOMPARE(cell(sheet, 3 + r, 3).typeId(), QMetaType::Double);
        QCOMPARE(row.value(3).toDouble(),
                 m_dataset->Value(r, QStringLiteral("销售单价")).toDouble());
    }
    QCOMPARE(cell(sheet, 3, 0).toString(), QStringLiteral("A-2"));
    QVERIFY(!cell(sheet, 4, 2).isValid());        // 毛巾 (6.5) is second and has no specification
    QCOMPARE(cell(sheet, 6, 3).toDouble(), 18.4); // the footer's sum
}

void TestGridExporter::emptyListWritesNothing()
{
    m_dataset->Open(QStringLiteral("select * from sp where 0"));
    const QString path = exportTo(QStringLiteral("empty.xlsx"));
    QVERIFY(!QFile::exists(path));
    QVERIFY(m_fixture.OpenedUrls().isEmpty());
}

void TestGridExporter::overwriteNeedsYes()
{
    const QString path = m_fixture.FilePath(QStringLiteral("old.xlsx"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    m_fixture.AnswerNext(false);
    exportTo(QStringLiteral("old.xlsx"));
    QCOMPARE(m_fixture.MessageTexts(),
             QStringList{QStringLiteral("已存在文件（%1），是否覆盖？").arg(path)});
    QCOMPARE(QFileInfo(path).size(), 3);

    m_fixture.AnswerNext(true);
    exportTo(QStringLiteral("old.xlsx"));
    Workbook::Sheet sheet;
    QCOMPARE(Workbook::ReadSheet(path, QStringLiteral("Sheet1"), &sheet),
             Workbook::ReadError::None);
}

void TestGridExporter::cancelledExportLeavesNoFile()
{
    for (int i = 0; i < 600; ++i)
        m_fixture.AddProduct(QStringLiteral("B%1").arg(i), QStringLiteral("商品"), 1, 2, 2);
    m_dataset->Open();
    const QString path = m_fixture.FilePath(QStringLiteral("cancelled.xlsx"));
    int calls = 0;
    const auto result = GridExporter::WriteWorkbook(path, m_grid.get(), QString(), QString(),
                                                    QDateTime::currentDateTime(),
                                                    [&calls](int, int) { return ++calls < 2; });
    QCOMPARE(result, GridExporter::WriteResult::Cancelled);
    QCOMPARE(calls, 2);
    QVERIFY(QDir(m_fixture.Dir()).entryList({QStringLiteral("cancelled*")}).isEmpty());
}

ZENTRIK_TEST_MAIN(TestGridExporter)
#include "tst_gridexporter.moc"
