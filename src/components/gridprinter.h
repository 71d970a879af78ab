#pragma once
// Print-out of the rows a grid lists: a page header "Page. N" over a double line, an
// optional title line, a text before the grid, the grid fitted to the page width with
// its column titles repeated on every page, and lines after the grid.

#include "components/printing.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <Qt>

class DataGrid;
class QWidget;
struct GridColumnsView;

struct GridPrintOptions
{
    QString titleLine; // line under the page header; may be empty
    QString before;    // text above the grid, centred, bold
    double beforePointSize = 14;
    QStringList after; // lines below the grid
    Qt::Alignment afterAlignment = Qt::AlignLeft;
    bool afterBold = true;
    double afterPointSize = 8;
};

namespace GridPrinter {

// Margin on every side of the page, in millimetres.
inline constexpr double MarginMm = 20;

// The pages of the print-out: `page` is the printable area in dots at `dotsPerInch`;
// `rows` holds the cell texts of each row; `footer` the footer texts (none when all are
// empty).
QList<QList<PrintItem>> Layout(const GridColumnsView &columns, const QList<QStringList> &rows,
                               const QStringList &footer, const GridPrintOptions &options,
                               const QSize &page, int dotsPerInch);

// Print preview of the grid's listed rows (fitted to the page width, 2 cm margins, header
// "Page. N" centred above a double line, column titles repeated on every page); printing
// from the preview goes to the chosen printer. With a PDF target set (Printing), the
// pages go straight to that file.
void Preview(QWidget *parent, DataGrid *grid, const GridPrintOptions &options);

} // namespace GridPrinter
