#pragma once
// A page report made of bands, as printed forms are: title bands once at the top of the
// first page, a column heading band at the top of every page, one detail band per data
// row, and summary bands once after the last row. Bands are described in millimetres;
// LayoutBandReport turns them into the PrintItems of each page, which PaintItems draws on
// a printer, a PDF file or the print preview.

#include "components/printing.h"

#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <Qt>

class QPrinter;
class QWidget;

struct BandText
{
    double x = 0; // mm from the band's left edge
    double y = 0; // mm from the band's top edge
    QString text;
    double pointSize = 11;
    bool bold = false;
    bool underline = false;
    // Left: the text starts at x. Right: it ends at x + width. Centre: centred in the box.
    Qt::Alignment alignment = Qt::AlignLeft;
    double width = 0; // mm; 0 is the text's natural width (then always left from x)
};

// A straight line from (x1, y1) to (x2, y2), horizontal or vertical, in mm within the band.
struct BandLine
{
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double thickness = 0.35; // mm
};

struct Band
{
    double height = 0; // mm
    // Edges of the band drawn as a frame across the printable width.
    bool frameTop = false, frameLeft = false, frameRight = false, frameBottom = false;
    QList<BandText> texts;
    QList<BandLine> lines;
};

struct BandReport
{
    QSizeF paper{210, 297};            // mm, portrait A4
    QMarginsF margins{15, 10, 15, 10}; // mm: left, top, right, bottom
    QString fontFamily;                // of every text
    double frameThickness = 0.35;      // mm
    QList<Band> title;                 // first page, top
    QList<Band> columnHeader;          // every page, above the detail rows
    QList<Band> detail;                // one per row
    QList<Band> summary;               // after the last row
};

// The items of each page at `dotsPerInch`, positions from the printable area's top-left
// corner. A detail band that does not fit moves to the next page under a new column
// heading; a summary band that does not fit moves to the next page. Always one page at
// least.
QList<QList<PrintItem>> LayoutBandReport(const BandReport &report, int dotsPerInch);

namespace BandReportOutput {

// Prints every page on `printer` (its page size and margins set from the report).
// False when the printer cannot be started.
bool Print(QPrinter &printer, const BandReport &report);
// A print preview window of `size` pixels, zoomed to show the whole page, from which the
// user prints through the standard print dialog. Modal.
void Preview(QWidget *parent, const BandReport &report, const QSize &size);

} // namespace BandReportOutput
