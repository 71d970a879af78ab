#pragma once
// The statements behind the sales records window: month, all and filtered lists of sale
// lines and summaries, and the grouped totals its two charts draw. No widgets: the window
// reads its fields into a SalesFilter and shows what these return.

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariantList>

// A statement with its user values bound to the `?` placeholders in order.
struct SqlStatement
{
    QString sql;
    QVariantList params;
};

// The filter fields of the sales detail page, as typed (untrimmed).
struct SalesFilter
{
    QString category;
    QString name;
    QString saleNumber;
    QString code;
    QString specification;
    QString operatorName;
    // The date range applies when ticked; a date text that is no date (an emptied field)
    // leaves that end of the range open.
    bool byDate = false;
    QString fromText;
    QString toText;
};

namespace SalesRecords {

// Sale lines (data1) and summaries (data3) of the calendar month that holds `day`.
SqlStatement MonthLines(const QDate &day);
SqlStatement MonthSummaries(const QDate &day);
// Every sale line and every summary.
SqlStatement AllLines();
SqlStatement AllSummaries();
// Sale lines matching every filled field (substring matches; the date range inclusive).
SqlStatement FilteredLines(const SalesFilter &filter);
// Summaries whose sale number contains `saleNumber` (all of them for an empty text).
SqlStatement FilteredSummaries(const QString &saleNumber);

// A LIKE pattern matching texts that contain `text` literally ("50%" finds "50%", not
// "500"); used with ESCAPE '\'.
QString ContainsPattern(const QString &text);
// A date typed as yyyy-mm-dd (single-digit month and day accepted); invalid otherwise.
QDate ParseDate(const QString &text);

enum class Measure { Profit, Sales };
// (month 1..12, total) for each month of `year` that holds sales, ascending. Profit sums
// the summaries' profit, sales their amount received.
QList<QPair<int, double>> MonthlyTotals(int year, Measure measure);
// (day 1..31, total) for each day of the month that holds sales, ascending. Profit sums
// the summaries' profit, sales the line amounts of the day's sale lines.
QList<QPair<int, double>> DailyTotals(int year, int month, Measure measure);
// The years that hold sales lines or summaries, and the current year, ascending.
QList<int> SaleYears(const QDate &today = QDate::currentDate());
// The distinct categories of the sale lines, ascending (letters compared without case).
QStringList Categories();

} // namespace SalesRecords
