#include "components/gridprinter.h"

#include "components/datagrid.h"
#include "components/gridexporter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QtMath>
#include <algorithm>

namespace {

const QString kFontFamily = QStringLiteral("宋体");
const double kHeaderPoints = 9;
const double kCellPoints = 9;

int dots(double points, int dotsPerInch)
{
    return qRound(points * dotsPerInch / 72.0);
}

QFontMetricsF metricsFor(double points, bool bold, int dotsPerInch)
{
    QFont font(kFontFamily);
    font.setPixelSize(std::max(1, dots(points, dotsPerInch)));
    font.setBold(bold);
    return QFontMetricsF(font);
}

PrintItem text(const QString &value, int x, int y, int width, double points, bool bold,
               Qt::Alignment alignment, int height = 0)
{
    PrintItem item;
    item.kind = PrintItem::Kind::Text;
    item.pos = QPoint(x, y);
    item.text = value;
    item.fontFamily = kFontFamily;
    item.pointSize = points;
    item.bold = bold;
    item.alignment = alignment | Qt::AlignVCenter;
    item.width = width;
    item.height = height;
    return item;
}

PrintItem rule(int x, int y, int width, int height)
{
    PrintItem item;
    item.kind = PrintItem::Kind::Rule;
    item.pos = QPoint(x, y);
    item.width = width;
    item.height = height;
    return item;
}

class PageBuilder
{
public:
    PageBuilder(const QSize &page, int dotsPerInch) : m_page(page), m_dpi(dotsPerInch) {}

    QList<QList<PrintItem>> pages;
    int y = 0;

    void newPage()
    {
        pages.append(QList<PrintItem>());
        y = 0;
        const int line = lineHeight(kHeaderPoints);
        add(text(QStringLiteral("Page. %1").arg(pages.size()), 0, y, m_page.width(), kHeaderPoints,
                 false, Qt::AlignHCenter, line));
        y += line + gap();
        // The double line under the header.
        const int thin = std::max(1, m_dpi / 150);
        add(rule(0, y, m_page.width(), thin));
        y += thin * 3;
        add(rule(0, y, m_page.width(), thin));
        y += thin + gap() * 2;
    }
    void add(const PrintItem &item) { pages.last().append(item); }
    int lineHeight(double points) const { return qCeil(metricsFor(points, false, m_dpi).height()); }
    int gap() const { return std::max(1, m_dpi / 36); }
    int bottom() const { return m_page.height(); }
    int width() const { return m_page.width(); }
    int dpi() const { return m_dpi; }

private:
    QSize m_page;
    int m_dpi;
};

} // namespace

namespace GridPrinter {

QList<QList<PrintItem>> Layout(const GridColumnsView &columns, const QList<QStringList> &rows,
                               const QStringList &footer, const GridPrintOptions &options,
                               const QSize &page, int dotsPerInch)
{
    PageBuilder builder(page, dotsPerInch);
    builder.newPage();

    if (!options.titleLine.isEmpty()) {
        const int line = builder.lineHeight(kCellPoints);
        builder.add(text(options.titleLine, 0, builder.y, builder.width(), kCellPoints, false,
                         Qt::AlignLeft, line));
        builder.y += line + builder.gap();
    }
    if (!options.before.isEmpty()) {
        const int line = builder.lineHeight(options.beforePointSize);
        builder.add(text(options.before, 0, builder.y, builder.width(), options.beforePointSize,
                         true, Qt::AlignHCenter, line));
        builder.y += line + builder.gap() * 2;
    }

    // Column widths: the design widths scaled so the grid fills the page width.
    const qsizetype count = columns.fields.size();
    double designWidth = 0;
    for (int width : columns.widths)
        designWidth += std::max(width, 1);
    QList<int> lefts;
    QList<int> widths;
    double left = 0;
    for (qsizetype c = 0; c < count; ++c) {
        const double width = builder.width() * std::max(columns.widths[c], 1) / designWidth;
        lefts << qRound(left);
        left += width;
        widths << qRound(left) - lefts.last();
    }
    const int thin = std::max(1, dotsPerInch / 150);
    const int padding = std::max(1, dotsPerInch / 30);
    const int rowHeight = builder.lineHeight(kCellPoints) + padding;
    const QFontMetricsF cellMetrics = metricsFor(kCellPoints, false, dotsPerInch);
    const QFontMetricsF boldMetrics = metricsFor(kCellPoints, true, dotsPerInch);

    auto gridRow = [&](const QStringList &cells, bool bold, bool titles) {
        const int top = builder.y;
        builder.add(rule(0, top, builder.width(), thin));
        for (qsizetype c = 0; c < count; ++c) {
            const int inner = std::max(1, widths[c] - 2 * padding);
            const QString value = c < cells.size() ? cells[c] : QString();
            const QString shown =
                (bold ? boldMetrics : cellMetrics).elidedText(value, Qt::ElideRight, inner);
            const Qt::Alignment alignment =
                titles ? Qt::AlignHCenter : (columns.alignments[c] & Qt::AlignHorizontal_Mask);
            builder.add(text(shown, lefts[c] + padding, top + thin, inner, kCellPoints, bold,
                             alignment ? alignment : Qt::AlignLeft, rowHeight - thin));
            builder.add(rule(lefts[c], top, thin, rowHeight + thin));
        }
        builder.add(rule(builder.width() - thin, top, thin, rowHeight + thin));
        builder.y += rowHeight;
        builder.add(rule(0, builder.y, builder.width(), thin));
    };
    auto fits = [&](int height) { return builder.y + height <= builder.bottom(); };

    if (!fits(rowHeight * 2)) {
        builder.newPage();
    }
    gridRow(columns.titles, true, true);
    QList<QStringList> body = rows;
    const bool hasFooter = std::any_of(footer.begin(), footer.end(),
                                       [](const QString &value) { return !value.isEmpty(); });
    if (hasFooter)
        body.append(footer);
    for (qsizetype r = 0; r < body.size(); ++r) {
        if (!fits(rowHeight + thin)) {
            builder.newPage();
            gridRow(columns.titles, true, true);
        }
        gridRow(body[r], hasFooter && r == body.size() - 1, false);
    }

    builder.y += builder.gap();
    for (const QString &line : options.after) {
        const int height = builder.lineHeight(options.afterPointSize);
        if (!fits(height))
            builder.newPage();
        if (!line.isEmpty())
            builder.add(text(line, 0, builder.y, builder.width(), options.afterPointSize,
                             options.afterBold, options.afterAlignment, height));
        builder.y += height;
    }
    return builder.pages;
}

namespace {

void printPages(QPrinter *printer, const GridColumnsView &columns, const QList<QStringList> &rows,
                const GridPrintOptions &options)
{
    const QRect area = printer->pageLayout().paintRectPixels(printer->resolution());
    const auto pages =
        Layout(columns, rows, columns.footers, options, area.size(), printer->resolution());
    QPainter painter;
    if (!painter.begin(printer))
        return;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer->newPage();
        PaintItems(painter, pages[p]);
    }
    painter.end();
}

void preparePage(QPrinter *printer)
{
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                                       QPageLayout::Millimeter));
}

} // namespace

void Preview(QWidget *parent, DataGrid *grid, const GridPrintOptions &options)
{
    const GridColumnsView columns = VisibleGridColumns(grid);
    QList<QStringList> rows;
    rows.reserve(GridRowCount(grid));
    ForEachGridRow(grid, columns.fields, [&rows](const QVariantList &values) {
        QStringList cells;
        cells.reserve(values.size());
        for (const QVariant &value : values)
            cells << DataGrid::CellText(value);
        rows << cells;
        return true;
    });

    if (!Printing::PdfTarget().isEmpty()) {
        const auto printer = Printing::DefaultPrinter();
        preparePage(printer.get());
        printPages(printer.get(), columns, rows, options);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    preparePage(&printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter *target) { printPages(target, columns, rows, options); });
    dialog.exec();
}

} // namespace GridPrinter
