// The sales slip: its texts, rows and total for a few carts, page breaks under a repeated
// column heading, and the slip of the real cart printed to a PDF.

#include "components/printing.h"
#include "data/db.h"
#include "fixture.h"
#include "sales/Unit2.h"
#include "shell/MAIN.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int Dpi = 203;

QStringList textsOf(const QList<PrintItem> &page)
{
    QStringList texts;
    for (const PrintItem &item : page)
        if (item.kind == PrintItem::Kind::Text)
            texts << item.text;
    return texts;
}

SlipData slipOf(const QList<SlipLine> &lines)
{
    SlipData slip;
    slip.saleNumber = QStringLiteral("CJG20130903000007");
    slip.date = QStringLiteral("2013-09-03");
    slip.operatorName = QStringLiteral("张三");
    slip.lines = lines;
    return slip;
}

QList<SlipLine> manyLines(int count)
{
    QList<SlipLine> lines;
    for (int i = 1; i <= count; ++i)
        lines << SlipLine{
            QStringLiteral("商品%1").arg(i), QString(), QStringLiteral("个"), 1, 1, 1};
    return lines;
}

} // namespace

class TestSalesSlip : public QObject
{
    Q_OBJECT

private slots:
    void totals_data();
    void totals();
    void oneLine();
    void longNamesStayInTheirBox();
    void rowsContinueOnFurtherPages();
    void slipOfTheCartPrints();

private:
    Fixture m_fixture;
};

void TestSalesSlip::totals_data()
{
    QTest::addColumn<QList<SlipLine>>("lines");
    QTest::addColumn<QString>("capitals");
    QTest::addColumn<QString>("figures");
    QTest::newRow("2 x 3.50") << QList<SlipLine>{{QStringLiteral("可乐"), QStringLiteral("330ml"),
                                                  QStringLiteral("罐"), 2, 3.5, 7}}
                              << QStringLiteral("（大写） 柒元整") << QStringLiteral("￥7.00");
    QTest::newRow("0.53") << QList<SlipLine>{{QStringLiteral("糖"), QString(), QString(), 1, 0.53,
                                              0.53}}
                          << QStringLiteral("（大写） 伍角叁分") << QStringLiteral("￥0.53");
    QTest::newRow("empty sale") << QList<SlipLine>() << QStringLiteral("（大写） ")
                                << QStringLiteral("￥0.00");
    // A returned item makes the total negative: the capitals say so instead of failing.
    QTest::newRow("negative") << QList<SlipLine>{{QStringLiteral("退货"), QString(), QString(), -1,
                                                  12, -12}}
                              << QStringLiteral("（大写） 负壹拾贰元整")
                              << QStringLiteral("￥-12.00");
}

void TestSalesSlip::totals()
{
    QFETCH(QList<SlipLine>, lines);
    QFETCH(QString, capitals);
    QFETCH(QString, figures);
    const auto pages = LayoutBandReport(SalesSlip::Layout(slipOf(lines)), Dpi);
    QCOMPARE(pages.size(), 1);
    const QStringList texts = textsOf(pages[0]);
    QVERIFY2(texts.contains(capitals), qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY(texts.contains(figures));
    QVERIFY(texts.contains(QStringLiteral("单 号：CJG20130903000007")));
    QVERIFY(texts.contains(QStringLiteral("开单日期：2013-09-03")));
    QVERIFY(texts.contains(QStringLiteral("开票人：张三")));
}

void TestSalesSlip::oneLine()
{
    const SlipData slip = slipOf(
        {{QStringLiteral("可乐"), QStringLiteral("330ml"), QStringLiteral("罐"), 2, 3.5, 7}});
    const QList<PrintItem> page = LayoutBandReport(SalesSlip::Layout(slip), Dpi).value(0);
    const QStringList texts = textsOf(page);
    // The row follows the column heading: name, specification, unit, quantity, price, amount.
    const qsizetype heading = texts.indexOf(QStringLiteral("备 注"));
    QVERIFY(heading > 0);
    QCOMPARE(texts.mid(heading + 1, 6),
             (QStringList{QStringLiteral("可乐"), QStringLiteral("330ml"), QStringLiteral("罐"),
                          QStringLiteral("2"), QStringLiteral("3.5"), QStringLiteral("7")}));
    // The amount ends at 151.9 mm from the band's left edge.
    for (const PrintItem &item : page)
        if (item.text == QStringLiteral("7") && item.kind == PrintItem::Kind::Text) {
            QCOMPARE(item.alignment & Qt::AlignHorizontal_Mask, Qt::AlignRight);
            QVERIFY(qAbs(item.pos.x() + item.width - 151.9 * Dpi / 25.4) <= 2);
        }
    // The figures are underlined: a rule right under "￥7.00".
    const auto figures = std::find_if(page.cbegin(), page.cend(), [](const PrintItem &item) {
        return item.text == QStringLiteral("￥7.00");
    });
    QVERIFY(figures != page.cend());
    const auto underline = std::next(figures);
    QVERIFY(underline != page.cend());
    QCOMPARE(underline->kind, PrintItem::Kind::Rule);
    QVERIFY(underline->pos.y() > figures->pos.y());
    QVERIFY(underline->width > 0);
}

void TestSalesSlip::longNamesStayInTheirBox()
{
    const QString longName(40, QChar(0x5546)); // 40 x 商
    const SlipData slip = slipOf({{longName, QString(60, QLatin1Char('x')), QString(), 1, 1, 1}});
    const QStringList texts = textsOf(LayoutBandReport(SalesSlip::Layout(slip), Dpi).value(0));
    for (const QString &text : texts) {
        QVERIFY(text != longName);
        if (text.startsWith(QChar(0x5546)) && !text.contains(QLatin1Char('%')))
            QVERIFY2(text.size() <= 10, qPrintable(text));
        if (text.startsWith(QLatin1Char('x')))
            QVERIFY2(text.size() <= 21, qPrintable(text));
    }
}

void TestSalesSlip::rowsContinueOnFurtherPages()
{
    const auto pages = LayoutBandReport(SalesSlip::Layout(slipOf(manyLines(70))), Dpi);
    QCOMPARE(pages.size(), 3);
    int rows = 0;
    for (int i = 0; i < pages.size(); ++i) {
        const QStringList texts = textsOf(pages[i]);
        QCOMPARE(texts.count(QStringLiteral("商品名称")), 1);
        QCOMPARE(texts.count(QStringLiteral("客户名称：")), i == 0 ? 1 : 0);
        QCOMPARE(texts.count(QStringLiteral("开票人：张三")), i == pages.size() - 1 ? 1 : 0);
        const int onPage = int(std::count_if(texts.cbegin(), texts.cend(), [](const QString &t) {
            return t.startsWith(QStringLiteral("商品")) && t != QStringLiteral("商品名称");
        }));
        QVERIFY(onPage > 0);
        rows += onPage;
        // Nothing runs past the printable height (277 mm).
        for (const PrintItem &item : pages[i])
            QVERIFY(item.pos.y() + item.height <= 277.0 * Dpi / 25.4 + 1);
    }
    QCOMPARE(rows, 70);
    QCOMPARE(textsOf(pages[1]).value(textsOf(pages[1]).indexOf(QStringLiteral("备 注")) + 1),
             QStringLiteral("商品32"));
}

void TestSalesSlip::slipOfTheCartPrints()
{
    m_fixture.Start();
    QVERIFY(m_fixture.Login());
    m_fixture.AddProduct(QStringLiteral("6901"), QStringLiteral("可乐"), 2, 3.5, 3);
    m_fixture.AddProduct(QStringLiteral("6902"), QStringLiteral("雪碧"), 2, 3, 2.8);
    ScanCode(QStringLiteral("6901"));
    ScanCode(QStringLiteral("6902"));
    ScanCode(QStringLiteral("6901"));
    const SlipData slip = Form2->CurrentSlip();
    QCOMPARE(slip.lines.size(), 2);
    QCOMPARE(slip.lines[0].name, QStringLiteral("可乐"));
    QCOMPARE(slip.lines[0].quantity, 2.0);
    QCOMPARE(slip.TotalText(), QStringLiteral("10.00"));
    QCOMPARE(slip.operatorName, QStringLiteral("超级管理员"));
    QCOMPARE(slip.saleNumber, MainForm->SaleNumber());

    const QString pdf = m_fixture.FilePath(QStringLiteral("slip.pdf"));
    Printing::SetPdfTarget(pdf);
    MainForm->findChild<QToolButton *>(QStringLiteral("slipButton"))->click();
    Printing::SetPdfTarget(QString());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    QVERIFY(m_fixture.Messages().isEmpty());
    const QString shots = qEnvironmentVariable("ZENTRIK_SHOTS");
    if (!shots.isEmpty()) {
        QFile::remove(QDir(shots).filePath(QStringLiteral("slip.pdf")));
        QFile::copy(pdf, QDir(shots).filePath(QStringLiteral("slip.pdf")));
        // The preview as the cashier sees it, grabbed and closed once it has drawn.
        QTimer::singleShot(1500, [shots] {
            if (QWidget *preview = QApplication::activeModalWidget()) {
                preview->grab().save(QDir(shots).filePath(QStringLiteral("slip-preview.png")));
                preview->close();
            }
        });
        BandReportOutput::Preview(MainForm, SalesSlip::Layout(slip), QSize(1024, 800));
    }
    m_fixture.Stop();
}

ZENTRIK_TEST_MAIN(TestSalesSlip)
#include "tst_salesslip.moc"
