#include "components/datagrid.h"
#include "components/gridexporter.h"
#include "components/gridprinter.h"
#include "data/dataset.h"
#include "fixture.h"

#include <QFile>
#include <QtTest>

namespace {

GridColumnsView twoColumns()
{
    GridColumnsView view;
    view.fields = {QStringLiteral("a"), QStringLiteral("b")};
    view.titles = {QStringLiteral("商品编码"), QStringLiteral("商品名称")};
    view.widths = {100, 300};
    view.alignments = {Qt::AlignCenter, Qt::AlignLeft};
    view.footers = {QString(), QString()};
    view.footerValues = {QVariant(), QVariant()};
    return view;
}

QStringList texts(const QList<PrintItem> &items)
{
    QStringList list;
    for (const PrintItem &item : items)
        if (item.kind == PrintItem::Kind::Text)
            list << item.text;
    return list;
}

} // namespace

class TestGridPrinter : public QObject
{
    Q_OBJECT

private slots:
    void longListsContinueWithTitles();
    void columnsFillThePageWidth();
    void previewPrintsToPdf();
};

void TestGridPrinter::longListsContinueWithTitles()
{
    QList<QStringList> rows;
    for (int i = 0; i < 200; ++i)
        rows << QStringList{QString::number(i), QStringLiteral("商品%1").arg(i)};
    GridPrintOptions options;
    options.titleLine = QStringLiteral("ZentrikPOS收银系统");
    options.before = QStringLiteral("全 部 商 品 报 表");
    options.after = {QString(), QStringLiteral("2024-03-15")};
    const QSize page(1000, 1400);
    const auto pages = GridPrinter::Layout(twoColumns(), rows, {}, options, page, 150);
    QVERIFY(pages.size() > 2);

    QStringList all;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const QStringList list = texts(pages[p]);
        QCOMPARE(list.first(), QStringLiteral("Page. %1").arg(p + 1));
        const bool holdsRows = std::any_of(list.begin(), list.end(), [](const QString &text) {
            return text.startsWith(QStringLiteral("商品")) && text.size() > 4;
        });
        if (holdsRows)
            QCOMPARE(list.count(QStringLiteral("商品名称")), 1); // titles on every page of rows
        for (const PrintItem &item : pages[p])
            QVERIFY2(item.pos.y() + std::max(item.height, 1) <= page.height(), "inside the page");
        all << list;
    }
    QCOMPARE(texts(pages.first()).mid(1, 2), (QStringList{options.titleLine, options.before}));
    QCOMPARE(texts(pages.last()).last(), QStringLiteral("2024-03-15"));
    // Every row once, in order.
    QStringList codes;
    for (const QString &text : all)
        if (!text.isEmpty() && text[0].isDigit() && !text.contains(u'-'))
            codes << text;
    QCOMPARE(codes.size(), 200);
    QCOMPARE(codes.last(), QStringLiteral("199"));
}

void TestGridPrinter::columnsFillThePageWidth()
{
    const auto pages =
        GridPrinter::Layout(twoColumns(), {{QStringLiteral("1"), QStringLiteral("x")}}, {},
                            GridPrintOptions(), QSize(800, 1000), 150);
    int right = 0;
    int secondLeft = -1;
    for (const PrintItem &item : pages.first()) {
        if (item.kind == PrintItem::Kind::Rule)
            right = std::max(right, item.pos.x() + item.width);
        if (item.text == QStringLiteral("商品名称"))
            secondLeft = item.pos.x();
    }
    QCOMPARE(right, 800);
    QVERIFY(secondLeft > 190 && secondLeft < 215); // a quarter of the width, plus padding
}

void TestGridPrinter::previewPrintsToPdf()
{
    Fixture fixture;
    fixture.Start();
    for (int i = 0; i < 120; ++i)
        fixture.AddProduct(QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')),
                           QStringLiteral("商品%1").arg(i), 1, 2.5, 2);
    Dataset dataset(QStringLiteral("test"), QStringLiteral("sp"),
                    QStringLiteral("select * from sp"));
    dataset.Open();
    DataGrid grid;
    QList<GridColumn> columns;
    for (const char *field : {"商品编码", "商品名称", "销售单价"}) {
        GridColumn c;
        c.field = c.title = QString::fromUtf8(field);
        columns << c;
    }
    columns[2].footer = GridColumn::Footer::Sum;
    grid.SetColumns(columns);
    grid.SetDataset(&dataset);

    const QString pdf = fixture.FilePath(QStringLiteral("grid.pdf"));
    Printing::SetPdfTarget(pdf);
    GridPrintOptions options;
    options.before = QStringLiteral("全 部 商 品 报 表");
    options.after = {QString(), QStringLiteral("2024-03-15")};
    GridPrinter::Preview(nullptr, &grid, options);
    Printing::SetPdfTarget(QString());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.startsWith("%PDF"));
    QVERIFY(data.count("/Type /Page\n") + data.count("/Type /Page>") + data.count("/Type /Page ") >=
            2);
    if (qEnvironmentVariableIsSet("ZENTRIK_KEEP_PDF"))
        QFile::copy(pdf, qEnvironmentVariable("ZENTRIK_KEEP_PDF"));
    fixture.Stop();
}

ZENTRIK_TEST_MAIN(TestGridPrinter)
#include "tst_gridprinter.moc"
