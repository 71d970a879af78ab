#include "sales/salesrecords.h"

#include "data/db.h"
#include "data/mylib.h"
#include "data/textindex.h"

#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>

namespace {

// Half-open range [from, to) on the sale date. Dates are stored as ISO text, so text
// order is date order, and a date stored with a time of day still falls into its day.
QString dateRange()
{
    return QStringLiteral("day1 >= ? and day1 < ?");
}

QVariantList rangeParams(const QDate &from, const QDate &toExclusive)
{
    return {DateText(from), DateText(toExclusive)};
}

QDate firstOfMonth(const QDate &day)
{
    return QDate(day.year(), day.month(), 1);
}

SqlStatement monthOf(const QString &table, const QDate &day)
{
    const QDate first = firstOfMonth(day);
    return {QStringLiteral("select * from %1 where ").arg(table) + dateRange(),
            rangeParams(first, first.addMonths(1))};
}

// Sums of one column per sale date within [from, to), added up by `key` of the date.
QList<QPair<int, double>> totalsBy(const QString &table, const QString &column, const QDate &from,
                                   const QDate &to, int (*key)(const QDate &))
{
    QSqlQuery query = Db::Run(QStringLiteral("select day1, sum(%1) from %2 where %3 group by day1")
                                  .arg(Db::Quote(column), table, dateRange()),
                              rangeParams(from, to));
    QMap<int, double> totals;
    while (query.next()) {
        const QDate date = SalesRecords::ParseDate(query.value(0).toString().left(10));
        if (date.isValid())
            totals[key(date)] += query.value(1).toDouble();
    }
    QList<QPair<int, double>> points;
    for (auto it = totals.cbegin(); it != totals.cend(); ++it)
        points << qMakePair(it.key(), it.value());
    return points;
}

int monthKey(const QDate &date)
{
    return date.month();
}

int dayKey(const QDate &date)
{
    return date.day();
}

int yearOf(const QVariant &value)
{
    bool ok = false;
    const int year = value.toString().left(4).toInt(&ok);
    return ok ? year : 0;
}

} // namespace

namespace SalesRecords {

SqlStatement MonthLines(const QDate &day)
{
    return monthOf(QStringLiteral("data1"), day);
}

SqlStatement MonthSummaries(const QDate &day)
{
    return monthOf(QStringLiteral("data3"), day);
}

SqlStatement AllLines()
{
    return {QStringLiteral("select * from data1"), {}};
}

SqlStatement AllSummaries()
{
    return {QStringLiteral("select * from data3"), {}};
}

QString ContainsPattern(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

QDate ParseDate(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

SqlStatement FilteredLines(const SalesFilter &filter)
{
    QList<QPair<QString, QString>> contains;
    for (const auto &[field, text] : {qMakePair(QStringLiteral("d"), filter.category),
                                      qMakePair(QStringLiteral("a"), filter.name),
                                      qMakePair(QStringLiteral("h"), filter.saleNumber),
                                      qMakePair(QStringLiteral("c"), filter.code),
                                      qMakePair(QStringLiteral("b"), filter.specification),
                                      qMakePair(QStringLiteral("i"), filter.operatorName)})
        if (!text.isEmpty())
            contains << qMakePair(field, text);
    const QDate from = filter.byDate ? ParseDate(filter.fromText) : QDate();
    const QDate to = filter.byDate ? ParseDate(filter.toText) : QDate();
    // A date range is read through the date index, in its order, whatever the texts.
    // Without one the lines come in their own order, through the substring index or not,
    // so the order never changes as a text grows.
    SqlStatement statement;
    statement.sql =
        QStringLiteral("select data1.* from %1 where 1 = 1")
            .arg(from.isValid() || to.isValid()
                     ? QStringLiteral("data1")
                     : TextIndex::From(QStringLiteral("data1"), contains, &statement.params));
    for (const auto &[field, text] : std::as_const(contains)) {
        statement.sql += QStringLiteral(" and %1 like ? escape '\\'").arg(field);
        statement.params << ContainsPattern(text);
    }
    if (from.isValid()) {
        statement.sql += QStringLiteral(" and day1 >= ?");
        statement.params << DateText(from);
    }
    if (to.isValid()) {
        statement.sql += QStringLiteral(" and day1 < ?");
        statement.params << DateText(to.addDays(1));
    }
    return statement;
}

SqlStatement FilteredSummaries(const QString &saleNumber)
{
    if (saleNumber.isEmpty())
        return AllSummaries();
    SqlStatement statement;
    statement.sql =
        QStringLiteral("select data3.* from %1 where a like ? escape '\\'")
            .arg(TextIndex::From(QStringLiteral("data3"), {{QStringLiteral("a"), saleNumber}},
                                 &statement.params));
    statement.params << ContainsPattern(saleNumber);
    return statement;
}

QList<QPair<int, double>> MonthlyTotals(int year, Measure measure)
{
    const QDate first(year, 1, 1);
    if (!first.isValid())
        return {};
    return totalsBy(QStringLiteral("data3"),
                    measure == Measure::Profit ? QStringLiteral("5") : QStringLiteral("2"), first,
                    first.addYears(1), monthKey);
}

QList<QPair<int, double>> DailyTotals(int year, int month, Measure measure)
{
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    if (measure == Measure::Profit)
        return totalsBy(QStringLiteral("data3"), QStringLiteral("5"), first, first.addMonths(1),
                        dayKey);
    return totalsBy(QStringLiteral("data1"), QStringLiteral("6"), first, first.addMonths(1),
                    dayKey);
}

QList<int> SaleYears(const QDate &today)
{
    QList<int> years{today.year()};
    for (const QString &table : {QStringLiteral("data1"), QStringLiteral("data3")}) {
        // Each bound is one step down the date index.
        const QString edge = QStringLiteral("select day1 from %1 where day1 >= '1900' order by "
                                            "day1 %2 limit 1");
        const int first = yearOf(Db::Scalar(edge.arg(table, QStringLiteral("asc"))));
        const int last = qMin(yearOf(Db::Scalar(edge.arg(table, QStringLiteral("desc")))), 9999);
        if (first == 0 || last == 0)
            continue;
        for (int year = first; year <= last; ++year) {
            if (years.contains(year))
                continue;
            const QVariant found = Db::Scalar(
                QStringLiteral("select 1 from %1 where %2 limit 1").arg(table, dateRange()),
                rangeParams(QDate(year, 1, 1), QDate(year + 1, 1, 1)));
            if (found.isValid())
                years << year;
        }
    }
    std::sort(years.begin(), years.end());
    return years;
}

QStringList Categories()
{
    // One step down the category index per category, instead of reading every line.
    QStringList categories;
    QVariant next = Db::Scalar(QStringLiteral("select min(d) from data1"));
    while (next.isValid() && !next.isNull()) {
        categories << next.toString();
        next = Db::Scalar(QStringLiteral("select min(d) from data1 where d > ?"), {next});
    }
    return categories;
}

} // namespace SalesRecords
