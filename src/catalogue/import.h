#pragma once
// Appends the products of a workbook's sheet "kelvra" to the products table of a chosen
// database file, on a connection of its own, all rows or none.

#include <QString>
#include <functional>

namespace ProductImport {

enum class Result {
    Imported,
    CannotConnect, // the file is missing or not a database of this program (no table sp)
    Failed         // no sheet, a missing column, a bad row, or a database error
};

struct Outcome
{
    Result result = Result::Failed;
    int rows = 0;   // rows inserted
    QString detail; // what failed, for the log and the tests
};

// Name of the sheet that holds the products.
QString SheetName();
// The nine columns the sheet's first row must name, in any order.
QStringList ColumnNames();

// Reads the workbook (.xls or .xlsx) and inserts its rows in one transaction. A code
// held as a number is its digits; prices held as text are converted; a row without a
// code or with a price that is not a number fails the whole import. `progress` is told
// the rows inserted so far.
Outcome Import(const QString &workbookPath, const QString &databasePath,
               const std::function<void(int done, int total)> &progress = {});

} // namespace ProductImport
