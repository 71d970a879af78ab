#include "components/printing.h"

#include <QFont>
#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRect>

#include <algorithm>

namespace {

QString &pdfTarget()
{
    static QString path;
    return path;
}

void paintText(QPainter &painter, const PrintItem &item)
{
    QFont font(item.fontFamily);
    font.setPointSizeF(item.pointSize);
    font.setBold(item.bold);
    // Set on the painter, the point size is converted with the printer's resolution.
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = item.width > 0 ? item.width : metrics.horizontalAdvance(item.text);
    const int height = item.height > 0 ? item.height : metrics.height();
    Qt::Alignment alignment = item.alignment;
    if (item.width <= 0)
        alignment = Qt::AlignLeft;
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignTop;
    painter.drawText(QRect(item.pos, QSize(width, height)),
                     int(alignment) | Qt::TextDontClip | Qt::TextSingleLine, item.text);
}

void paintRule(QPainter &painter, const PrintItem &item)
{
    const QRectF rule(item.pos, QSizeF(item.width, std::max(item.height, 1)));
    painter.fillRect(rule, Qt::black);
    // Scaled down (the whole-page preview, a picture of the page) a rule thinner than a
    // pixel may cover no pixel's centre and vanish; a one-pixel line along its middle
    // keeps it, and at full size the line lies inside the rule.
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    if (rule.width() >= rule.height())
        painter.drawLine(QLineF(rule.left(), rule.center().y(), rule.right(), rule.center().y()));
    else
        painter.drawLine(QLineF(rule.center().x(), rule.top(), rule.center().x(), rule.bottom()));
    painter.restore();
}

} // namespace

void PaintItems(QPainter &painter, const QList<PrintItem> &items)
{
    painter.save();
    painter.setPen(Qt::black);
    for (const PrintItem &item : items) {
        switch (item.kind) {
        case PrintItem::Kind::Text:
            paintText(painter, item);
            break;
        case PrintItem::Kind::Rule:
            paintRule(painter, item);
            break;
        }
    }
    painter.restore();
}

namespace Printing {

std::unique_ptr<QPrinter> DefaultPrinter()
{
    if (!pdfTarget().isEmpty()) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfTarget());
        printer->setResolution(PdfDotsPerInch);
        return printer;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return nullptr;
    return printer;
}

void SetPdfTarget(const QString &path)
{
    pdfTarget() = path;
}

QString PdfTarget()
{
    return pdfTarget();
}

} // namespace Printing
