#include "components/bandreport.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <cmath>

namespace {

class Placer
{
public:
    Placer(const BandReport &report, int dpi) : m_report(report), m_dpi(dpi) {}

    int dots(double mm) const { return int(std::lround(mm * m_dpi / 25.4)); }
    double width() const
    {
        return m_report.paper.width() - m_report.margins.left() - m_report.margins.right();
    }
    double height() const
    {
        return m_report.paper.height() - m_report.margins.top() - m_report.margins.bottom();
    }

    // Appends the band's items at `top` mm to `items`.
    void place(const Band &band, double top, QList<PrintItem> &items) const
    {
        const double frame = m_report.frameThickness;
        auto rule = [&](double x, double y, double w, double h) {
            PrintItem item;
            item.kind = PrintItem::Kind::Rule;
            item.pos = QPoint(dots(x), dots(top + y));
            item.width = std::max(1, dots(w));
            item.height = std::max(1, dots(h));
            items << item;
        };
        if (band.frameTop)
            rule(0, 0, width(), frame);
        if (band.frameBottom)
            rule(0, band.height - frame, width(), frame);
        if (band.frameLeft)
            rule(0, 0, frame, band.height);
        if (band.frameRight)
            rule(width() - frame, 0, frame, band.height);
        for (const BandLine &line : band.lines) {
            if (line.y1 == line.y2)
                rule(std::min(line.x1, line.x2), line.y1 - line.thickness / 2,
                     std::abs(line.x2 - line.x1), line.thickness);
            else
                rule(line.x1 - line.thickness / 2, std::min(line.y1, line.y2), line.thickness,
                     std::abs(line.y2 - line.y1));
        }
        for (const BandText &text : band.texts)
            placeText(text, top, items);
    }

private:
    void placeText(const BandText &text, double top, QList<PrintItem> &items) const
    {
        PrintItem item;
        item.kind = PrintItem::Kind::Text;
        item.text = text.text;
        item.fontFamily = m_report.fontFamily;
        item.pointSize = text.pointSize;
        item.bold = text.bold;
        item.pos = QPoint(dots(text.x), dots(top + text.y));
        item.width = text.width > 0 ? dots(text.width) : 0;
        item.alignment = text.alignment;
        items << item;
        if (!text.underline || text.text.isEmpty())
            return;
        // The underline spans the text itself, measured at the target's resolution.
        QFont font(m_report.fontFamily);
        font.setPixelSize(std::max(1, int(std::lround(text.pointSize * m_dpi / 72.0))));
        font.setBold(text.bold);
        const QFontMetricsF metrics(font);
        const double textWidth = metrics.horizontalAdvance(text.text);
        double left = item.pos.x();
        if (item.width > 0 && (text.alignment & Qt::AlignRight))
            left += item.width - textWidth;
        else if (item.width > 0 && (text.alignment & Qt::AlignHCenter))
            left += (item.width - textWidth) / 2;
        PrintItem line;
        line.kind = PrintItem::Kind::Rule;
        line.pos = QPoint(int(left), item.pos.y() + int(std::ceil(metrics.height())) + 1);
        line.width = int(std::ceil(textWidth));
        line.height = std::max(1, dots(0.2));
        items << line;
    }

    const BandReport &m_report;
    int m_dpi;
};

} // namespace

QList<QList<PrintItem>> LayoutBandReport(const BandReport &report, int dotsPerInch)
{
    const Placer placer(report, dotsPerInch);
    const double pageHeight = placer.height();
    QList<QList<PrintItem>> pages(1);
    double y = 0;
    auto placeAll = [&](const QList<Band> &bands) {
        for (const Band &band : bands) {
            placer.place(band, y, pages.last());
            y += band.height;
        }
    };
    auto newPage = [&] {
        pages.append(QList<PrintItem>());
        y = 0;
    };

    placeAll(report.title);
    placeAll(report.columnHeader);
    int rowsOnPage = 0;
    for (const Band &band : report.detail) {
        // A page holds at least one row under its heading, however tall the row is.
        if (y + band.height > pageHeight + 1e-9 && rowsOnPage > 0) {
            newPage();
            placeAll(report.columnHeader);
            rowsOnPage = 0;
        }
        placer.place(band, y, pages.last());
        y += band.height;
        ++rowsOnPage;
    }
    for (const Band &band : report.summary) {
        if (y + band.height > pageHeight + 1e-9 && y > 0)
            newPage();
        placer.place(band, y, pages.last());
        y += band.height;
    }
    return pages;
}

namespace BandReportOutput {

namespace {

void setUp(QPrinter &printer, const BandReport &report)
{
    const QPageSize size(report.paper, QPageSize::Millimeter);
    printer.setPageLayout(QPageLayout(size,
                                      report.paper.width() > report.paper.height()
                                          ? QPageLayout::Landscape
                                          : QPageLayout::Portrait,
                                      report.margins, QPageLayout::Millimeter));
}

bool paint(QPrinter &printer, const BandReport &report)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QList<QList<PrintItem>> pages = LayoutBandReport(report, printer.resolution());
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        PaintItems(painter, pages[i]);
    }
    painter.end();
    return true;
}

} // namespace

bool Print(QPrinter &printer, const BandReport &report)
{
    setUp(printer, report);
    return paint(printer, report);
}

void Preview(QWidget *parent, const BandReport &report, const QSize &size)
{
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, report);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.resize(size);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter *target) { paint(*target, report); });
    if (auto *view = dialog.findChild<QPrintPreviewWidget *>())
        view->fitInView();
    dialog.exec();
}

} // namespace BandReportOutput
