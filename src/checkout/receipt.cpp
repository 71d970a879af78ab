#include "checkout/receipt.h"

#include "data/mylib.h"
#include "shell/maker.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QSizeF>

namespace {

// The receipt is laid out in a monospaced face in which a Chinese character is exactly
// two Latin characters wide, so widths are counted in GBK bytes and columns line up.
const QString FontFamily = ReceiptFontFamily();
constexpr double TitlePointSize = 10;
constexpr double BodyPointSize = 8;

constexpr qsizetype NameBytes = 18;
constexpr int LineStep = 30;
constexpr int FirstLineY = 210;

constexpr int PaperLengthMm = 250;
// A PDF file has no paper of its own; it gets the width of a receipt roll.
constexpr double PdfPaperWidthMm = 80;

QString rule()
{
    return QString(31, QLatin1Char('-'));
}

PrintItem text(int y, const QString &text, double pointSize = BodyPointSize, bool bold = false)
{
    PrintItem item;
    item.kind = PrintItem::Kind::Text;
    item.pos = QPoint(0, y);
    item.text = text;
    item.fontFamily = FontFamily;
    item.pointSize = pointSize;
    item.bold = bold;
    return item;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString ReceiptFontFamily()
{
    return QStringLiteral("WenQuanYi Zen Hei Mono");
}

QString ReceiptNameColumn(const QString &name)
{
    QString column;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < name.size();) {
        const bool pair =
            name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        const QString character = name.mid(i, pair ? 2 : 1);
        const qsizetype width = ToGbk(character).size();
        if (bytes + width > NameBytes)
            break;
        column += character;
        bytes += width;
        i += character.size();
    }
    // One blank after the padded column, for a cut name too, so the quantities of all
    // lines start in the same column.
    return column + QString(NameBytes - bytes + 1, QLatin1Char(' '));
}

QList<PrintItem> ReceiptLayout(const ReceiptData &data)
{
    QList<PrintItem> items;
    items << text(0, QStringLiteral("      POS小票销售凭证"), TitlePointSize, true)
          << text(40, rule()) << text(60, QStringLiteral("销售单号：") + data.saleNumber)
          << text(90, QStringLiteral("收银员：") + data.cashier)
          << text(120, QStringLiteral("打印时间：") + data.saleDate + QLatin1Char(' ') +
                           data.printTime.toString(QStringLiteral("hh:mm:ss ")))
          << text(150, rule()) << text(180, QStringLiteral("商品名称         数量     金额 "));

    // A reprint and a return say so under the title, and everything below moves down.
    QList<PrintItem> marks;
    if (data.reprint)
        marks << text(0, QStringLiteral("           （重打）"));
    if (!data.returnOf.isEmpty())
        marks << text(0, QStringLiteral("           （退货）"))
              << text(0, QStringLiteral("原销售单号：") + data.returnOf);
    const int shift = LineStep * static_cast<int>(marks.size());
    for (qsizetype i = 1; i < items.size(); ++i)
        items[i].pos.ry() += shift;
    for (qsizetype i = 0; i < marks.size(); ++i) {
        marks[i].pos.setY(40 + LineStep * static_cast<int>(i));
        items.insert(1 + i, marks[i]);
    }

    int y = FirstLineY + shift;
    for (const ReceiptLine &line : data.lines) {
        items << text(y, ReceiptNameColumn(line.name) + NumberText(line.quantity) +
                             QString(6, QLatin1Char(' ')) + NumberText(line.amount));
        y += LineStep;
    }

    items << text(y, rule())
          << text(y + 30, QStringLiteral("总计:") + data.total + QStringLiteral("元  实收:") +
                              data.received + QStringLiteral("元"))
          << text(y + 60, QStringLiteral("现金:") + MoneyText(data.cash) +
                              QStringLiteral("元  找零:") + MoneyText(data.change) +
                              QStringLiteral("元"))
          << text(y + 90, rule())
          << text(y + 120, QStringLiteral("ZentrikPOS收银软件提供打印技术支持"))
          << text(y + 150, QStringLiteral("官网：") + Maker::WebAddress()) << text(y + 180, rule())
          << text(y + 210, QStringLiteral("         欢迎下次惠顾        "))
          << text(y + 240, rule());
    return items;
}

void SetReceiptPaper(QPrinter &printer, int lengthMm)
{
    if (!printer.isValid() || lengthMm <= 0)
        return;
    const double widthMm = printer.pageLayout().pageSize().size(QPageSize::Millimeter).width();
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QSizeF(widthMm, lengthMm), QPageSize::Millimeter, QString(),
                                  QPageSize::ExactMatch));
    // A printer that cannot print to the edge keeps its smallest margins.
    if (!printer.setPageMargins(QMarginsF(), QPageLayout::Millimeter))
        printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
}

bool PrintReceipt(const ReceiptData &data, QString *error)
{
    return PrintOnReceiptPaper(ReceiptLayout(data), QStringLiteral("POS小票"), error);
}

bool PrintOnReceiptPaper(const QList<PrintItem> &items, const QString &docName, QString *error)
{
    const std::unique_ptr<QPrinter> printer = Printing::DefaultPrinter();
    if (!printer) {
        setError(error, QStringLiteral("没有可用的打印机。"));
        return false;
    }
    if (printer->outputFormat() == QPrinter::PdfFormat)
        printer->setPageSize(QPageSize(QSizeF(PdfPaperWidthMm, PaperLengthMm),
                                       QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    SetReceiptPaper(*printer, PaperLengthMm);
    printer->setDocName(docName);

    const QString target = printer->outputFormat() == QPrinter::PdfFormat
                               ? printer->outputFileName()
                               : printer->printerName();
    QPainter painter;
    if (!painter.begin(printer.get())) {
        setError(error, QStringLiteral("无法开始打印：") + target);
        return false;
    }
    PaintItems(painter, items);
    if (!painter.end()) {
        setError(error, QStringLiteral("打印未能完成：") + target);
        return false;
    }
    return true;
}

PrintItem ReceiptText(int y, const QString &line, bool title)
{
    return title ? text(y, line, TitlePointSize, true) : text(y, line);
}
