#include "sales/Unit2.h"

#include "data/capitals.h"
#include "data/db.h"
#include "data/mylib.h"
#include "shell/MAIN.h"

#include <QPrinter>
#include <QSqlQuery>

TForm2 *Form2 = nullptr;

namespace {

// Column rules of the table, in mm from the band's left edge.
const QList<double> &columnRules()
{
    static const QList<double> rules{42.2, 86.6, 101.5, 118.3, 135.3, 154.4};
    return rules;
}

BandText text(double x, double y, const QString &caption, double pointSize = 11, bool bold = false)
{
    BandText t;
    t.x = x;
    t.y = y;
    t.text = caption;
    t.pointSize = pointSize;
    t.bold = bold;
    return t;
}

// A text aligned in a box [x, x + width].
BandText boxed(double x, double y, double width, const QString &caption, Qt::Alignment alignment)
{
    BandText t = text(x, y, caption);
    t.width = width;
    t.alignment = alignment;
    return t;
}

BandLine vertical(double x, double height)
{
    return {x, 0, x, height};
}

Band tableBand(double height)
{
    Band band;
    band.height = height;
    band.frameTop = band.frameLeft = band.frameRight = true;
    for (double x : columnRules())
        band.lines << vertical(x, height);
    return band;
}

// A small printer drawn in lines: paper, body and tray.
QList<BandLine> printerPicture(double x, double y)
{
    QList<BandLine> lines;
    auto box = [&lines](double left, double top, double w, double h) {
        lines << BandLine{left, top, left + w, top} << BandLine{left, top + h, left + w, top + h}
              << BandLine{left, top, left, top + h} << BandLine{left + w, top, left + w, top + h};
    };
    box(x + 3.5, y + 0.5, 7.8, 5.5);  // paper going in
    box(x, y + 6.0, 14.8, 5.8);       // body
    box(x + 2.5, y + 11.8, 9.8, 3.3); // paper coming out
    lines << BandLine{x + 4.5, y + 13.2, x + 10.3, y + 13.2, 0.25};
    lines << BandLine{x + 11.5, y + 7.6, x + 13.0, y + 7.6, 0.5}; // lamp
    return lines;
}

Band headingBand(const SlipData &slip)
{
    Band band;
    band.height = 21.2;
    band.lines = printerPicture(12.2, 0.3);
    band.texts << boxed(31.8, 3.2, 110.2, QStringLiteral("Quillon软件销售单"), Qt::AlignHCenter);
    band.texts.last().pointSize = 16;
    band.texts.last().bold = true;
    band.lines << BandLine{31.8, 9.0, 134.7, 9.0, 0.3} << BandLine{31.8, 9.8, 134.7, 9.8, 0.3};
    BandText contact = boxed(
        36.0, 12.2, 92.6, QStringLiteral("www.quillon.cn  电话：0571-8888 6666"), Qt::AlignHCenter);
    contact.pointSize = 10;
    band.texts << contact;
    band.texts << text(135.5, 11.4, QStringLiteral("单 号：") + slip.saleNumber);
    return band;
}

Band customerBand(const QString &first, const QString &second, const QString &third)
{
    Band band;
    band.height = 7.4;
    band.frameTop = band.frameLeft = band.frameRight = true;
    band.texts << text(4.2, 1.6, first) << text(88.9, 1.6, second);
    if (!third.isEmpty())
        band.texts << text(133.3, 1.6, third);
    return band;
}

Band columnHeading()
{
    Band band = tableBand(8.5);
    const QList<QPair<double, QString>> captions = {
        {10.6, QStringLiteral("商品名称")}, {55.0, QStringLiteral("规格型号")},
        {89.7, QStringLiteral("单位")},     {104.5, QStringLiteral("数 量")},
        {121.4, QStringLiteral("单 价")},   {139.7, QStringLiteral("金 额")},
        {160.9, QStringLiteral("备 注")}};
    for (const auto &[x, caption] : captions)
        band.texts << text(x, 2.1, caption, 11, true);
    return band;
}

Band rowBand(const SlipLine &line)
{
    Band band = tableBand(7.4);
    const Qt::Alignment right = Qt::AlignRight;
    // Name and specification are cut to their boxes: the row keeps its height.
    band.texts << boxed(2.1, 1.9, 38.4, line.name, Qt::AlignLeft)
               << boxed(44.5, 1.9, 40.5, line.specification, Qt::AlignLeft)
               << boxed(87.6, 1.9, 11.4, line.unit, Qt::AlignHCenter)
               << boxed(102.5, 1.9, 13.4, NumberText(line.quantity), right)
               << boxed(119.3, 1.9, 13.5, NumberText(line.price), right)
               << boxed(136.3, 1.9, 15.6, NumberText(line.amount), right);
    return band;
}

Band totalBand(const SlipData &slip)
{
    Band band;
    band.height = 10.6;
    band.frameTop = band.frameLeft = band.frameRight = band.frameBottom = true;
    band.lines << vertical(135.3, band.height);
    const QString total = slip.TotalText();
    band.texts << text(5.0, 1.3, QStringLiteral("合 计"))
               << text(4.0, 5.6, QStringLiteral("人民币"))
               << text(15.1, 3.2, SalesSlip::CapitalsText(total));
    BandText figures = text(139.7, 3.2, QStringLiteral("￥") + total);
    figures.underline = true;
    band.texts << figures;
    return band;
}

Band signatureBand(const SlipData &slip)
{
    Band band;
    band.height = 8.5;
    band.texts << text(6.3, 2.1, QStringLiteral("收货人："))
               << text(65.6, 2.1, QStringLiteral("送货人："))
               << text(130.7, 2.1, QStringLiteral("开票人：") + slip.operatorName);
    return band;
}

// Cuts a text to what fits a box of `width` mm at 11 pt (about 1.9 mm per Latin letter,
// 3.9 mm per Chinese character).
QString fitted(const QString &text, double width)
{
    double used = 0;
    qsizetype n = 0;
    for (; n < text.size(); ++n) {
        used += text.at(n).unicode() < 0x2E80 ? 2.0 : 3.9;
        if (used > width)
            break;
    }
    return text.left(n);
}

} // namespace

QString SlipData::TotalText() const
{
    double total = 0;
    for (const SlipLine &line : lines)
        total += line.amount;
    return MoneyText(total);
}

namespace SalesSlip {

QList<SlipLine> CartLines()
{
    QSqlQuery query =
        Db::Run(QStringLiteral("select a, b, z, %1, %2, %3 from data order by id")
                    .arg(Db::Quote(QStringLiteral("2")), Db::Quote(QStringLiteral("4")),
                         Db::Quote(QStringLiteral("6"))));
    QList<SlipLine> lines;
    while (query.next())
        lines << SlipLine{query.value(0).toString(), query.value(1).toString(),
                          query.value(2).toString(), query.value(3).toDouble(),
                          query.value(4).toDouble(), query.value(5).toDouble()};
    return lines;
}

QString CapitalsText(const QString &total)
{
    const QString prefix = QStringLiteral("（大写） ");
    if (total.startsWith(QLatin1Char('-')))
        return prefix + QStringLiteral("负") + AmountToCapitals(total.mid(1));
    return prefix + AmountToCapitals(total);
}

BandReport Layout(const SlipData &slip)
{
    BandReport report;
    report.fontFamily = QStringLiteral("宋体");
    report.title << headingBand(slip)
                 << customerBand(QStringLiteral("客户名称："), QStringLiteral("联系人："),
                                 QStringLiteral("开单日期：") + slip.date)
                 << customerBand(QStringLiteral("客户地址："), QStringLiteral("联系电话："),
                                 QString());
    report.columnHeader << columnHeading();
    for (SlipLine line : slip.lines) {
        line.name = fitted(line.name, 38.4);
        line.specification = fitted(line.specification, 40.5);
        report.detail << rowBand(line);
    }
    Band empty;
    empty.height = 10.6;
    report.summary << totalBand(slip) << signatureBand(slip) << empty;
    return report;
}

} // namespace SalesSlip

TForm2::TForm2(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Form2"));
}

SlipData TForm2::CurrentSlip() const
{
    SlipData slip;
    slip.saleNumber = MainForm ? MainForm->SaleNumber() : QString();
    slip.date = DateText(QDate::currentDate());
    slip.operatorName = TMainForm::OperatorName();
    slip.lines = SalesSlip::CartLines();
    return slip;
}

void TForm2::PreviewSlip()
{
    m_slip = CurrentSlip();
    const BandReport report = SalesSlip::Layout(m_slip);
    if (!Printing::PdfTarget().isEmpty()) {
        if (const auto printer = Printing::DefaultPrinter())
            BandReportOutput::Print(*printer, report);
        return;
    }
    BandReportOutput::Preview(MainForm, report, QSize(1024, 800));
}
