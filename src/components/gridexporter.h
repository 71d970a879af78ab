#pragma once
// Writes the rows a grid lists to an .xlsx workbook: a title row, the author and time,
// the column titles, one row per listed row in the grid's current order, and the footer.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class DataGrid;
class QWidget;

// The visible columns of a grid and the way to walk its listed rows in their current
// order; shared by the exporter and the printer.
struct GridColumnsView
{
    QStringList fields;
    QStringList titles;
    QList<int> widths;
    QList<Qt::Alignment> alignments;
    QStringList footers;          // footer text per column, empty when none
    QList<QVariant> footerValues; // exact sum or count, invalid when the footer is text
};
GridColumnsView VisibleGridColumns(const DataGrid *grid);
// Number of rows the grid lists.
int GridRowCount(const DataGrid *grid);
// Calls `row` with the values of the visible columns of each listed row in order; stops
// early when it returns false.
void ForEachGridRow(const DataGrid *grid, const QStringList &fields,
                    const std::function<bool(const QVariantList &values)> &row);

namespace GridExporter {

enum class WriteResult { Written, Cancelled, Failed };

// Writes the workbook to `path` (replacing it only once complete). `progress` is called
// with the rows written so far and returns false to cancel; a cancelled or failed export
// leaves no file behind and the previous file, if any, untouched.
WriteResult WriteWorkbook(const QString &path, const DataGrid *grid, const QString &title,
                          const QString &author, const QDateTime &now,
                          const std::function<bool(int done, int total)> &progress = {});

// Asks for an .xlsx file (save dialog whose filter names .xlsx; the overwrite question),
// then writes the grid's listed rows in their current order with a cancellable progress
// window (a cancelled export leaves no file): title in the fourth column of the first
// row, "制表人：" + author and "制表时间：" + now in the second row, the visible column
// titles, one row per listed row (numbers as numbers, empty values as empty cells), the
// footer row; then opens the file with the system's application. Nothing is written for
// an empty list. Returns true when a file was written.
bool Export(QWidget *parent, DataGrid *grid, const QString &title, const QString &author);

} // namespace GridExporter
