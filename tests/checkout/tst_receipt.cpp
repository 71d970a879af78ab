#include "checkout/receipt.h"
#include "data/mylib.h"
#include "shell/maker.h"

#include <QFileInfo>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using Row = QPair<int, QString>; // y and text of one printed line

namespace {

const QString Rule = QStringLiteral("-------------------------------");

ReceiptData sale(const QList<ReceiptLine> &lines)
{
    ReceiptData data;
    data.saleNumber = QStringLiteral("CJG1393000002");
    data.cashier = QStringLiteral("超级管理员");
    data.saleDate = QStringLiteral("2013-09-03");
    data.printTime = QTime(9, 5, 7);
    data.lines = lines;
    data.total = QStringLiteral("24.50");
    data.received = QStringLiteral("24.50");
    data.cash = 30;
    data.change = 5.5;
    return data;
}

QList<Row> rows(const QList<PrintItem> &items)
{
    QList<Row> result;
    for (const PrintItem &item : items)
        result.append(Row(item.pos.y(), item.text));
    return result;
}

} // namespace

class TestReceipt : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void nameColumn_data();
    void nameColumn();
    void layoutOfOneLine();
    void linesMoveTheFooter();
    void pdfTargetAndPaper();
    void printsToPdf();
    void reportsFailureToPrint();
    void reprintIsMarked();
    void returnIsMarked();
    void quantitiesLineUpOnPaper();
};

void TestReceipt::initTestCase()
{
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
}

void TestReceipt::cleanup()
{
    Printing::SetPdfTarget(QString());
}

void TestReceipt::nameColumn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("17 bytes") << QStringLiteral("康师傅红烧牛肉面1")
                              << QStringLiteral("康师傅红烧牛肉面1  ");
    QTest::newRow("18 bytes") << QStringLiteral("康师傅红烧牛肉面12")
                              << QStringLiteral("康师傅红烧牛肉面12 ");
    QTest::newRow("longer") << QStringLiteral("康师傅红烧牛肉面123桶装")
                            << QStringLiteral("康师傅红烧牛肉面12 ");
    QTest::newRow("18th byte splits a character")
        << QStringLiteral("A康师傅红烧牛肉面桶") << QStringLiteral("A康师傅红烧牛肉面  ");
    QTest::newRow("ASCII") << QStringLiteral("Coca-Cola Zero Sugar 330ml")
                           << QStringLiteral("Coca-Cola Zero Sug ");
    QTest::newRow("short ASCII") << QStringLiteral("Cola") << QStringLiteral("Cola               ");
    QTest::newRow("empty") << QString() << QString(19, QLatin1Char(' '));
}

void TestReceipt::nameColumn()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString column = ReceiptNameColumn(name);
    QCOMPARE(column, expected);
    QCOMPARE(ToGbk(column).size(), 19);
}

void TestReceipt::layoutOfOneLine()
{
    const QList<PrintItem> items =
        ReceiptLayout(sale({{QStringLiteral("康师傅红烧牛肉面"), 7, 24.5}}));

    const QList<Row> expected = {
        {0, QStringLiteral("      POS小票销售凭证")},
        {40, Rule},
        {60, QStringLiteral("销售单号：CJG1393000002")},
        {90, QStringLiteral("收银员：超级管理员")},
        {120, QStringLiteral("打印时间：2013-09-03 09:05:07 ")},
        {150, Rule},
        {180, QStringLiteral("商品名称         数量     金额 ")},
        {210, QStringLiteral("康师傅红烧牛肉面   7      24.5")},
        {240, Rule},
        {270, QStringLiteral("总计:24.50元  实收:24.50元")},
        {300, QStringLiteral("现金:30.00元  找零:5.50元")},
        {330, Rule},
        {360, QStringLiteral("ZentrikPOS收银软件提供打印技术支持")},
        {390, QStringLiteral("官网：") + Maker::WebAddress()},
        {420, Rule},
        {450, QStringLiteral("         欢迎下次惠顾        ")},
        {480, Rule},
    };
    QCOMPARE(rows(items), expected);

    // Everything starts at the left edge; the title alone is large and bold.
    for (const PrintItem &item : items) {
        const bool title = &item == &items.first();
        QCOMPARE(item.kind, PrintItem::Kind::Text);
        QCOMPARE(item.pos.x(), 0);
        QCOMPARE(item.fontFamily, ReceiptFontFamily());
        QCOMPARE(item.pointSize, title ? 10.0 : 8.0);
        QCOMPARE(item.bold, title);
    }
}

void TestReceipt::linesMoveTheFooter()
{
    const QList<Row> empty = rows(ReceiptLayout(sale({})));
    QList<ReceiptLine> lines;
    for (int i = 1; i <= 10; ++i)
        lines.append({QStringLiteral("商品%1").arg(i), 2.5, 15.8 * i});
    const QList<Row> ten = rows(ReceiptLayout(sale(lines)));

    // A sale without lines has its first footer rule where the first line would be.
    constexpr int Header = 7;
    QCOMPARE(empty.size(), Header + 9);
    QCOMPARE(empty.at(Header), Row(210, Rule));
    QCOMPARE(ten.size(), empty.size() + 10);
    QCOMPARE(ten.at(Header), Row(210, QStringLiteral("商品1") + QString(14, QLatin1Char(' ')) +
                                          QStringLiteral("2.5      15.8")));
    QCOMPARE(ten.at(Header + 9), Row(480, QStringLiteral("商品10") + QString(13, QLatin1Char(' ')) +
                                              QStringLiteral("2.5      158")));
    for (qsizetype i = Header; i < empty.size(); ++i)
        QCOMPARE(ten.at(i + 10), Row(empty.at(i).first + 300, empty.at(i).second));
}

void TestReceipt::pdfTargetAndPaper()
{
    QCOMPARE(Printing::PdfTarget(), QString());
    Printing::SetPdfTarget(QStringLiteral("/tmp/receipt.pdf"));
    QCOMPARE(Printing::PdfTarget(), QStringLiteral("/tmp/receipt.pdf"));
    const std::unique_ptr<QPrinter> printer = Printing::DefaultPrinter();
    QVERIFY(printer);
    QCOMPARE(printer->outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(printer->outputFileName(), QStringLiteral("/tmp/receipt.pdf"));
    QCOMPARE(printer->resolution(), 203);

    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                       QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    SetReceiptPaper(*printer, 250);
    const QPageLayout layout = printer->pageLayout();
    QCOMPARE(layout.orientation(), QPageLayout::Portrait);
    const QSizeF paper = layout.pageSize().size(QPageSize::Millimeter);
    QCOMPARE(qRound(paper.width()), 210);
    QCOMPARE(qRound(paper.height()), 250);
    QCOMPARE(layout.margins(QPageLayout::Millimeter), QMarginsF());
}

void TestReceipt::printsToPdf()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("receipt.pdf"));
    Printing::SetPdfTarget(path);

    ReceiptData data = sale({{QStringLiteral("农夫山泉饮用天然水550毫升"), 2, 3},
                             {QStringLiteral("Cola"), 1, 2.5},
                             {QStringLiteral("面包"), 3, 19}});
    QString error;
    QVERIFY2(PrintReceipt(data, &error), qPrintable(error));
    QVERIFY(QFileInfo(path).size() > 0);

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed; the text of the PDF is not checked");
    QProcess process;
    process.start(pdftotext, {path, QStringLiteral("-")});
    QVERIFY(process.waitForFinished());
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("POS小票销售凭证")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("农夫山泉饮用天然水")), qPrintable(text));
}

void TestReceipt::reportsFailureToPrint()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Printing::SetPdfTarget(dir.filePath(QStringLiteral("missing/receipt.pdf")));
    QString error;
    QVERIFY(!PrintReceipt(sale({{QStringLiteral("面包"), 1, 6}}), &error));
    QVERIFY(!error.isEmpty());
}

void TestReceipt::reprintIsMarked()
{
    ReceiptData data = sale({{QStringLiteral("面包"), 1, 6}});
    const QList<Row> first = rows(ReceiptLayout(data));
    data.reprint = true;
    const QList<Row> again = rows(ReceiptLayout(data));
    QCOMPARE(again.size(), first.size() + 1);
    QCOMPARE(again.at(0), first.at(0));
    QCOMPARE(again.at(1), Row(40, QStringLiteral("           （重打）")));
    for (qsizetype i = 1; i < first.size(); ++i)
        QCOMPARE(again.at(i + 1), Row(first.at(i).first + 30, first.at(i).second));
}

void TestReceipt::returnIsMarked()
{
    ReceiptData data = sale({{QStringLiteral("面包"), -2, -12}});
    data.total = data.received = QStringLiteral("-12.00");
    data.cash = 0;
    data.change = 12;
    const QList<Row> plain = rows(ReceiptLayout(data));
    data.returnOf = QStringLiteral("CJG1393000001");
    data.reprint = true;
    const QList<Row> marked = rows(ReceiptLayout(data));
    QCOMPARE(marked.size(), plain.size() + 3);
    QCOMPARE(marked.mid(1, 3), (QList<Row>{Row(40, QStringLiteral("           （重打）")),
                                           Row(70, QStringLiteral("           （退货）")),
                                           Row(100, QStringLiteral("原销售单号：CJG1393000001"))}));
    for (qsizetype i = 1; i < plain.size(); ++i)
        QCOMPARE(marked.at(i + 3), Row(plain.at(i).first + 90, plain.at(i).second));
    QVERIFY(marked.contains(Row(300, QStringLiteral("面包") + QString(15, QLatin1Char(' ')) +
                                         QStringLiteral("-2      -12"))));
    QVERIFY(marked.contains(Row(390, QStringLiteral("现金:0.00元  找零:12.00元"))));
}

void TestReceipt::quantitiesLineUpOnPaper()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("receipt.pdf"));
    Printing::SetPdfTarget(path);
    // Names of every kind of width: Latin, Chinese, mixed, cut, cut inside a character.
    const QList<ReceiptLine> lines = {{QStringLiteral("Cola"), 1, 11.5},
                                      {QStringLiteral("面包"), 22, 12.5},
                                      {QStringLiteral("农夫山泉饮用天然水550毫升"), 3, 13.5},
                                      {QStringLiteral("A康师傅红烧牛肉面桶"), 4, 14.5},
                                      {QStringLiteral("康师傅红烧牛肉面1"), 5, 15.5},
                                      {QStringLiteral("Coca-Cola Zero Sugar"), 6, 16.5},
                                      {QStringLiteral("维C 100g"), 7, 17.5}};
    QVERIFY(PrintReceipt(sale(lines)));
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    QVERIFY(process.waitForFinished());
    const QString html = QString::fromUtf8(process.readAllStandardOutput());

    // Words in reading order with their left edge and top.
    struct Word
    {
        double x, y;
        QString text;
    };
    QList<Word> words;
    static const QRegularExpression wordPattern(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"));
    for (const QRegularExpressionMatch &m : wordPattern.globalMatch(html))
        words.append({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    QVERIFY2(words.size() > 20, qPrintable(html.left(500)));

    // The quantity is the word before the amount on each item line.
    QList<double> quantityX;
    for (const ReceiptLine &line : lines) {
        const QString amount = NumberText(line.amount);
        for (qsizetype i = 1; i < words.size(); ++i)
            if (words[i].text == amount && qAbs(words[i - 1].y - words[i].y) < 1) {
                QCOMPARE(words[i - 1].text, NumberText(line.quantity));
                quantityX << words[i - 1].x;
            }
    }
    QCOMPARE(quantityX.size(), lines.size());
    for (double x : quantityX)
        QVERIFY2(
            qAbs(x - quantityX.first()) < 0.5,
            qPrintable(
                QStringLiteral("quantity columns at %1 and %2").arg(quantityX.first()).arg(x)));
}

QTEST_MAIN(TestReceipt)
#include "tst_receipt.moc"
