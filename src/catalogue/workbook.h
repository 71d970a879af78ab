#pragma once
// Reads one worksheet of a workbook into rows of cell values: .xls (Excel 97-2003)
// through FreeXL, .xlsx through its zip container and XML parts. Numbers come back as
// doubles, texts as strings, empty cells as invalid values.

#include <QList>
#include <QString>
#include <QVariant>

namespace Workbook {

using Sheet = QList<QVariantList>;

enum class ReadError { None, CannotOpen, NoSheet };

// Reads the sheet named `sheetName` of the workbook at `path` (the format is taken from
// its contents, not its name). Rows keep their position: an empty row is an empty list.
ReadError ReadSheet(const QString &path, const QString &sheetName, Sheet *sheet);

// Number of a column reference's letters: "A1" -> 0, "AB12" -> 27; -1 without letters.
int ColumnOfReference(const QString &reference);

} // namespace Workbook
