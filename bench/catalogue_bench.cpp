#include "catalogue_bench.h"

#include "figures.h"

#include "catalogue/Unit1.h"
#include "catalogue/import.h"
#include "catalogue/ys.h"
#include "components/datagrid.h"
#include "components/gridexporter.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <xlsxwriter.h>

namespace {

// Steps through at most `limit` rows (all for -1) of `sql` through the sqlite3 C library.
void bare(sqlite3 *db, const char *sql, const QList<QByteArray> &params = {}, int limit = -1)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    for (int i = 0; i < params.size(); ++i)
        sqlite3_bind_text(statement, i + 1, params[i].constData(), int(params[i].size()),
                          SQLITE_TRANSIENT);
    int rows = 0;
    while ((limit < 0 || rows < limit) && sqlite3_step(statement) == SQLITE_ROW)
        ++rows;
    sqlite3_finalize(statement);
}

// What the grid reads to paint its first screen.
void firstScreen(QTableView *view)
{
    QAbstractItemModel *model = view->model();
    const int rows = std::min(model->rowCount(), 30);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < model->columnCount(); ++c)
            model->data(model->index(r, c), Qt::DisplayRole);
}

// Typing and erasing a name, one keystroke at a time.
QString keystrokeText(int i)
{
    static const QStringList texts = {QStringLiteral("商"),      QStringLiteral("商品"),
                                      QStringLiteral("商品1"),   QStringLiteral("商品12"),
                                      QStringLiteral("商品123"), QStringLiteral("商品12"),
                                      QStringLiteral("商品1"),   QStringLiteral("商品")};
    return texts[i % texts.size()];
}

void writeWorkbook(const QString &path, int rows)
{
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "kelvra");
    const QStringList columns = ProductImport::ColumnNames();
    for (qsizetype c = 0; c < columns.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), columns[c].toUtf8().constData(), nullptr);
    for (int r = 1; r <= rows; ++r) {
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QString &column = columns[c];
            if (column.endsWith(QStringLiteral("价")))
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), 1.5 + r % 100, nullptr);
            else if (column == u"商品编码")
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), 6930000000000.0 + r,
                                       nullptr);
            else
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                       QStringLiteral("导入%1").arg(r).toUtf8().constData(),
                                       nullptr);
        }
    }
    workbook_close(book);
}

} // namespace

void RunCatalogueFigures()
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2("data.db", &db, SQLITE_OPEN_READONLY, nullptr);

    Form1->show();
    auto *grid = Form1->findChild<DataGrid *>(QStringLiteral("productGrid"));
    auto *name = Form1->findChild<QLineEdit *>(QStringLiteral("conditionNameEdit"));
    const int runs = 200;

    const Times keystroke = measure(runs, [&](int i) {
        name->setText(keystrokeText(i));
        firstScreen(grid->view());
    });
    const Times keystrokeBase = measure(runs, [&](int i) {
        const QByteArray like = "%" + keystrokeText(i).toUtf8() + "%";
        bare(db, "select rowid, * from sp where 销售单价<>0 and 商品名称 like ?", {like}, 30);
        bare(db, "select count(*) from sp where 销售单价<>0 and 商品名称 like ?", {like});
    });
    line("product-keystroke", keystroke, keystrokeBase);
    // A two-character text that no product holds reads every product.
    const QStringList shortTexts = {QStringLiteral("饮料"), QStringLiteral("饮品")};
    const Times shortKeystroke = measure(runs, [&](int i) {
        name->setText(shortTexts[i % 2]);
        firstScreen(grid->view());
    });
    const Times shortBase = measure(runs, [&](int i) {
        const QByteArray like = "%" + shortTexts[i % 2].toUtf8() + "%";
        bare(db, "select rowid, * from sp where 销售单价<>0 and 商品名称 like ?", {like}, 30);
    });
    line("product-keystroke-short", shortKeystroke, shortBase);
    name->clear();

    const Times list = measure(20, [&](int) {
        Form1->ListAll();
        firstScreen(grid->view());
    });
    const Times listBase = measure(20, [&](int) {
        bare(db, "select count(*) from sp");
        bare(db, "select rowid, * from sp order by rowid desc", {}, 30);
    });
    line("product-list", list, listBase);

    const QString exportPath = QDir::current().filePath(QStringLiteral("export.xlsx"));
    const Times exported = measure(3, [&](int) {
        GridExporter::WriteWorkbook(exportPath, grid, QStringLiteral("全部商品清单"),
                                    QStringLiteral("ZentrikPOS收银系统"),
                                    QDateTime::currentDateTime());
    });
    const Times exportBase = measure(3, [&](int) { bare(db, "select rowid, * from sp"); });
    line("export", exported, exportBase);
    Form1->hide();

    auto *lookupName = ysfm->findChild<QLineEdit *>(QStringLiteral("conditionNameEdit"));
    auto *lookupGrid = ysfm->findChild<DataGrid *>(QStringLiteral("lookupGrid"));
    const Times lookup = measure(runs, [&](int i) {
        lookupName->setText(keystrokeText(i));
        firstScreen(lookupGrid->view());
    });
    const Times lookupBase = measure(runs, [&](int i) {
        const QByteArray like = "%" + keystrokeText(i).toUtf8() + "%";
        bare(db, "select * from sp where 销售单价>0 and 商品名称 like ?", {like}, 30);
        bare(db, "select count(*) from sp where 销售单价>0 and 商品名称 like ?", {like});
    });
    line("lookup-keystroke", lookup, lookupBase);
    lookupName->clear();
    dmfm->ADOQuery5->Close();
    sqlite3_close(db);

    // The import goes to a database of its own, so the shop's figures stay as they were.
    const QString workbook = QDir::current().filePath(QStringLiteral("import.xlsx"));
    const QString target = QDir::current().filePath(QStringLiteral("import.db"));
    writeWorkbook(workbook, 10000);
    {
        auto connection =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench_import"));
        connection.setDatabaseName(target);
        connection.open();
        QSqlQuery(connection)
            .exec(QStringLiteral(
                "create table sp (商品编码 text, 商品类别 text, 商品名称 text, 规格型号 text, "
                "进货单价 double, 销售单价 double, 会员价 double, 单位 text, 供货商 text, ghspy "
                "text, "
                "sppy text, lbpy text)"));
        connection.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench_import"));
    const Times imported = measure(3, [&](int) { ProductImport::Import(workbook, target); });
    sqlite3 *importDb = nullptr;
    sqlite3_open(QFile::encodeName(target).constData(), &importDb);
    const Times importBase = measure(3, [&](int) {
        sqlite3_exec(importDb, "begin", nullptr, nullptr, nullptr);
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(importDb,
                           "insert into sp (商品编码, 商品名称, 销售单价) values (?, ?, ?)", -1,
                           &statement, nullptr);
        for (int r = 0; r < 10000; ++r) {
            sqlite3_bind_int64(statement, 1, 6930000000000LL + r);
            sqlite3_bind_text(statement, 2, "导入", -1, SQLITE_STATIC);
            sqlite3_bind_double(statement, 3, 1.5);
            sqlite3_step(statement);
            sqlite3_reset(statement);
        }
        sqlite3_finalize(statement);
        sqlite3_exec(importDb, "rollback", nullptr, nullptr, nullptr);
    });
    sqlite3_close(importDb);
    line("import", imported, importBase);
}
