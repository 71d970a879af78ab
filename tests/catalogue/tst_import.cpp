// The workbook import: .xls and .xlsx sheets into a chosen database, all rows or none.

#include "catalogue/excel.h"
#include "catalogue/import.h"
#include "data/db.h"
#include "fixture.h"

#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolButton>
#include <QtTest>

#include <xlsxwriter.h>

namespace {

using Rows = QList<QVariantList>;

const QVariantList kHeader{
    QStringLiteral("商品名称"), QStringLiteral("规格型号"), QStringLiteral("商品类别"),
    QStringLiteral("商品编码"), QStringLiteral("单位"),     QStringLiteral("供货商"),
    QStringLiteral("进货单价"), QStringLiteral("销售单价"), QStringLiteral("会员价")};

QVariantList product(const QVariant &code, const QVariant &salePrice)
{
    return {QStringLiteral("毛巾"),
            QStringLiteral("大号"),
            QStringLiteral("百货"),
            code,
            QStringLiteral("条"),
            QStringLiteral("洁丽雅"),
            4.0,
            salePrice,
            6.0};
}

// Writes a workbook with one sheet: numbers as numbers, the rest as text.
void writeXlsx(const QString &path, const QString &sheetName, const Rows &rows)
{
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
    for (qsizetype r = 0; r < rows.size(); ++r)
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            const QVariant &v = rows[r][c];
            if (v.typeId() == QMetaType::Double)
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), v.toDouble(), nullptr);
            else if (v.isValid())
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                       v.toString().toUtf8().constData(), nullptr);
        }
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);
}

int productCount()
{
    return Db::Scalar(QStringLiteral("select count(*) from sp")).toInt();
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture.Start();
        m_fixture.AddProduct(QStringLiteral("A-01"), QStringLiteral("旧相框"), 1, 2, 2);
    }
    void cleanup() { m_fixture.Stop(); }

    void xlsRowsAreAppendedAsAUserExpects();
    void xlsxImportsToo();
    void failuresAddNothing_data();
    void failuresAddNothing();
    void windowChecksPathsAndTellsTheOutcome();

private:
    QString database() const { return m_fixture.FilePath(QStringLiteral("data.db")); }
    Fixture m_fixture;
};

void TestImport::xlsRowsAreAppendedAsAUserExpects()
{
    const auto outcome = ProductImport::Import(QFINDTESTDATA("fixtures/products.xls"), database());
    QCOMPARE(outcome.result, ProductImport::Result::Imported);
    QCOMPARE(outcome.rows, 3);
    QCOMPARE(productCount(), 4);
    QSqlQuery row = Db::Run(QStringLiteral("select 商品名称, 规格型号, 销售单价, typeof(销售单价), "
                                           "进货单价, ghspy, sppy, lbpy from sp "
                                           "where 商品编码=? order by rowid desc"),
                            {QStringLiteral("A-01")});
    QVERIFY(row.next());
    QCOMPARE(row.value(0).toString(), QStringLiteral("5'寸 相框"));
    QVERIFY(row.value(1).isNull());
    QCOMPARE(row.value(2).toDouble(), 3.5); // a price held as text
    QCOMPARE(row.value(3).toString(), QStringLiteral("real"));
    QCOMPARE(row.value(4).toDouble(), 2.0);
    for (int c = 5; c < 8; ++c)
        QVERIFY(row.value(c).isNull());
    QVERIFY(row.next()); // the code already stored is inserted again
    // A bar code the workbook holds as a number is its digits.
    QCOMPARE(Db::Scalar(QStringLiteral("select 商品名称 from sp where 商品编码=?"),
                        {QStringLiteral("6920000000017")})
                 .toString(),
             QStringLiteral("矿泉水"));
}

void TestImport::xlsxImportsToo()
{
    const QString path = m_fixture.FilePath(QStringLiteral("products.xlsx"));
    // Columns in another order, with one the import ignores.
    QVariantList header = kHeader;
    std::reverse(header.begin(), header.end());
    header.insert(2, QStringLiteral("备注"));
    Rows rows{header};
    for (const QVariant &code : {QVariant(6920000000017.0), QVariant(QStringLiteral("B-7"))}) {
        QVariantList values = product(code, QStringLiteral("9.90"));
        std::reverse(values.begin(), values.end());
        values.insert(2, QStringLiteral("整箱"));
        rows << values;
    }
    writeXlsx(path, QStringLiteral("kelvra"), rows);
    const auto outcome = ProductImport::Import(path, database());
    QCOMPARE(outcome.result, ProductImport::Result::Imported);
    QCOMPARE(
        Db::Scalar(QStringLiteral("select group_concat(商品编码 || '=' || 销售单价, ' ') from sp "
                                  "where 商品名称='毛巾'"))
            .toString(),
        QStringLiteral("6920000000017=9.9 B-7=9.9"));
}

void TestImport::failuresAddNothing_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int>("result");
    const int failed = int(ProductImport::Result::Failed);
    QVariantList noMemberPrice = kHeader;
    noMemberPrice.removeLast();
    QTest::newRow("other sheet") << "Sheet1" << Rows{kHeader, product(1.0, 2.0)} << failed;
    QTest::newRow("missing column") << "kelvra" << Rows{noMemberPrice, product(1.0, 2.0)} << failed;
    QTest::newRow("price not a number half way")
        << "kelvra"
        << Rows{kHeader, product(1.0, 2.0), product(2.0, QStringLiteral("两元")), product(3.0, 2.0)}
        << failed;
    QTest::newRow("row without code")
        << "kelvra" << Rows{kHeader, product(1.0, 2.0), product(QStringLiteral(" "), 2.0)}
        << failed;
}

void TestImport::failuresAddNothing()
{
    QFETCH(QString, sheet);
    QFETCH(Rows, rows);
    QFETCH(int, result);
    const QString path = m_fixture.FilePath(QStringLiteral("bad.xlsx"));
    writeXlsx(path, sheet, rows);
    QCOMPARE(int(ProductImport::Import(path, database()).result), result);
    QCOMPARE(productCount(), 1);
}

void TestImport::windowChecksPathsAndTellsTheOutcome()
{
    auto *workbook = excell->findChild<QLineEdit *>(QStringLiteral("workbookPathEdit"));
    auto *target = excell->findChild<QLineEdit *>(QStringLiteral("databasePathEdit"));
    auto *run = excell->findChild<QToolButton *>(QStringLiteral("importButton"));
    QVERIFY(workbook && target && run);

    workbook->setText(QFINDTESTDATA("fixtures/othersheet.xls"));
    if (const QString folder = qEnvironmentVariable("ZENTRIK_SHOTS"); !folder.isEmpty()) {
        target->setText(database());
        excell->show();
        excell->grab().save(folder + QStringLiteral("/import.png"));
        excell->hide();
    }
    target->setText(QStringLiteral("   "));
    run->click();
    QCOMPARE(m_fixture.MessageTexts(), QStringList{QStringLiteral("请正确选择相关路径！")});

    // A file that is not a database of this program: no table sp (and none is made).
    const QString other = m_fixture.FilePath(QStringLiteral("other.db"));
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(other);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("create table t (a)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const QString failure =
        QStringLiteral("批量EXCEL导入失败！请联系技术客服QQ:") + Texcell::SupportNumber();
    const QString noConnection =
        QStringLiteral("连接ACCESS失败！请联系技术客服QQ:") + Texcell::SupportNumber();
    const QString missing = m_fixture.FilePath(QStringLiteral("missing.db"));
    for (const QString &path : {other, missing}) {
        m_fixture.ClearMessages();
        target->setText(path);
        run->click();
        QCOMPARE(m_fixture.MessageTexts(), QStringList{noConnection});
    }
    QVERIFY(!QFile::exists(missing));

    m_fixture.ClearMessages();
    target->setText(QStringLiteral(" ") + database() + QStringLiteral(" "));
    run->click();
    QCOMPARE(m_fixture.MessageTexts(), QStringList{failure});

    m_fixture.ClearMessages();
    workbook->setText(QFINDTESTDATA("fixtures/products.xls"));
    run->click();
    QCOMPARE(m_fixture.MessageTexts(),
             QStringList{QStringLiteral("批量EXCEL导入成功！请退出在主界面中点全部记录查看")});
    QCOMPARE(productCount(), 4);
}

ZENTRIK_TEST_MAIN(TestImport)
#include "tst_import.moc"
