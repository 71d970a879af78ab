#include "components/labelsheet.h"

#include "components/printing.h"
#include "data/dataset.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cmath>

#include <zint.h>

namespace LabelSheet {

namespace {

const QString kFontFamily = QStringLiteral("宋体");

// Bars of a Code 128 symbol as rectangles in module units, with the symbol's size.
struct Bars
{
    QList<QRectF> rects;
    QSizeF size;
};

Bars code128(const QString &code)
{
    Bars bars;
    zint_symbol *symbol = ZBarcode_Create();
    if (!symbol)
        return bars;
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0;
    symbol->height = 40;
    symbol->whitespace_width = 0;
    symbol->input_mode = UNICODE_MODE;
    const QByteArray data = code.toUtf8();
    if (ZBarcode_Encode_and_Buffer_Vector(symbol,
                                          reinterpret_cast<const unsigned char *>(data.constData()),
                                          static_cast<int>(data.size()), 0) < ZINT_ERROR &&
        symbol->vector) {
        bars.size = QSizeF(symbol->vector->width, symbol->vector->height);
        for (const zint_vector_rect *rect = symbol->vector->rectangles; rect; rect = rect->next)
            bars.rects << QRectF(rect->x, rect->y, rect->width, rect->height);
    }
    ZBarcode_Delete(symbol);
    return bars;
}

void paintLabel(QPainter &painter, const QRectF &band, const Label &label, double dotsPerMm)
{
    const auto mm = [dotsPerMm](double value) { return value * dotsPerMm; };
    const QRectF frame = band.adjusted(mm(1), mm(1), -mm(1), -mm(1));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, std::max(1.0, mm(0.3))));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, mm(2.5), mm(2.5));

    QFont font(kFontFamily);
    font.setPixelSize(std::max(1, qRound(mm(3.2))));
    painter.setFont(font);
    const QRectF nameRect(frame.left() + mm(2), frame.top() + mm(1), frame.width() - mm(4), mm(5));
    painter.drawText(
        nameRect, Qt::AlignCenter | Qt::TextSingleLine,
        painter.fontMetrics().elidedText(label.name, Qt::ElideRight, int(nameRect.width())));

    // Bars without smoothing, each edge on a whole device unit, so a scanner sees clean
    // modules; a quiet zone of ten modules stays white on either side.
    const Bars bars = code128(label.code);
    if (!bars.rects.isEmpty()) {
        const QRectF area(frame.left() + mm(2), frame.top() + mm(6.5), frame.width() - mm(4),
                          mm(10.5));
        const double moduleWidth =
            std::max(1.0, std::floor(area.width() / (bars.size.width() + 20)));
        const double width = moduleWidth * bars.size.width();
        const double left = std::round(area.left() + (area.width() - width) / 2);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        for (const QRectF &rect : bars.rects)
            painter.drawRect(QRectF(left + rect.x() * moduleWidth, std::round(area.top()),
                                    rect.width() * moduleWidth, std::round(area.height())));
        painter.setPen(Qt::black);
        font.setPixelSize(std::max(1, qRound(mm(2.6))));
        painter.setFont(font);
        painter.drawText(QRectF(frame.left(), area.bottom() + mm(0.3), frame.width(), mm(3.5)),
                         Qt::AlignCenter | Qt::TextSingleLine, label.code);
    }
    painter.restore();
}

void printSheet(QPrinter *printer, const QList<Label> &labels)
{
    const auto pages = Layout(labels);
    const double dotsPerMm = printer->resolution() / 25.4;
    QPainter painter;
    if (!painter.begin(printer))
        return;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer->newPage();
        PaintPage(painter, pages[p], dotsPerMm);
    }
    painter.end();
}

void preparePage(QPrinter *printer)
{
    printer->setPageLayout(QPageLayout(QPageSize(QSizeF(PageWidthMm, PageHeightMm),
                                                 QPageSize::Millimeter, QStringLiteral("Labels")),
                                       QPageLayout::Portrait,
                                       QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                                       QPageLayout::Millimeter));
}

} // namespace

QList<QList<Placement>> Layout(const QList<Label> &labels)
{
    const int columns = 4;
    const int rowsPerPage =
        std::max(1, static_cast<int>((PageHeightMm - 2 * MarginMm) / LabelHeightMm));
    QList<QList<Placement>> pages;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const int onPage = static_cast<int>(i % (columns * rowsPerPage));
        if (onPage == 0)
            pages.append(QList<Placement>());
        const int row = onPage / columns;
        const int column = onPage % columns;
        pages.last().append(Placement{
            QRectF(column * ColumnWidthMm, row * LabelHeightMm, ColumnWidthMm, LabelHeightMm),
            labels[i]});
    }
    return pages;
}

void PaintPage(QPainter &painter, const QList<Placement> &page, double dotsPerMm)
{
    for (const Placement &placement : page) {
        const QRectF &b = placement.band;
        paintLabel(painter,
                   QRectF(b.x() * dotsPerMm, b.y() * dotsPerMm, b.width() * dotsPerMm,
                          b.height() * dotsPerMm),
                   placement.label, dotsPerMm);
    }
}

QImage RenderLabel(const Label &label, int dotsPerInch)
{
    const double dotsPerMm = dotsPerInch / 25.4;
    QImage image(qCeil(ColumnWidthMm * dotsPerMm), qCeil(LabelHeightMm * dotsPerMm),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dotsPerMm * 1000));
    image.setDotsPerMeterY(qRound(dotsPerMm * 1000));
    QPainter painter(&image);
    paintLabel(painter, QRectF(0, 0, ColumnWidthMm * dotsPerMm, LabelHeightMm * dotsPerMm), label,
               dotsPerMm);
    painter.end();
    return image;
}

void Preview(QWidget *parent, const Dataset *dataset)
{
    QList<Label> labels;
    if (dataset && dataset->IsOpen()) {
        DatasetReader reader = dataset->Reader();
        while (reader.Next())
            labels << Label{reader.Value(QStringLiteral("商品名称")).toString(),
                            reader.Value(QStringLiteral("商品编码")).toString()};
    }
    if (!Printing::PdfTarget().isEmpty()) {
        const auto printer = Printing::DefaultPrinter();
        preparePage(printer.get());
        printSheet(printer.get(), labels);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    preparePage(&printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("条形码打印"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&labels](QPrinter *target) { printSheet(target, labels); });
    dialog.exec();
}

} // namespace LabelSheet
