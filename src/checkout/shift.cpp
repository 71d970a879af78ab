#include "checkout/shift.h"

#include "checkout/till.h"
#include "data/db.h"
#include "data/mylib.h"

#include <QSqlQuery>

namespace {

double money(double value)
{
    double shown = 0;
    ParseNumber(MoneyText(value), &shown);
    return shown;
}

} // namespace

std::optional<ShiftReport> ReadShiftReport(qint64 session)
{
    QSqlQuery login =
        Db::Run(QStringLiteral("select username, btime, jtime from rz where id=?"), {session});
    if (!login.next())
        return std::nullopt;
    ShiftReport report;
    report.session = session;
    report.operatorName = login.value(0).toString();
    report.loginTime = login.value(1).toString();
    report.logoutTime = login.value(2).toString();

    QSqlQuery sales = Db::Run(QStringLiteral("select b, \"1\", \"3\", \"4\", \"5\", z from data3 "
                                             "where rz_id=? order by ID"),
                              {session});
    while (sales.next()) {
        const QString name = sales.value(0).toString();
        const double due = sales.value(1).toDouble();
        const bool isReturn = !Till::ReturnOf(sales.value(5).toString()).isEmpty();
        if (isReturn) {
            ++report.returns;
            report.returnsAmount -= due;
        } else {
            ++report.sales;
            report.salesAmount += due;
        }
        report.cashReceived += sales.value(2).toDouble();
        report.changeGiven += sales.value(3).toDouble();
        report.profit += sales.value(4).toDouble();
        auto found = std::find_if(report.byOperator.begin(), report.byOperator.end(),
                                  [&](const ShiftOperator &o) { return o.name == name; });
        if (found == report.byOperator.end())
            found = report.byOperator.insert(report.byOperator.end(), ShiftOperator{name});
        (isReturn ? found->returns : found->sales) += 1;
        found->net = money(found->net + due);
    }
    // Sums of two-decimal amounts, kept to two decimals.
    report.salesAmount = money(report.salesAmount);
    report.returnsAmount = money(report.returnsAmount);
    report.net = money(report.salesAmount - report.returnsAmount);
    report.cashReceived = money(report.cashReceived);
    report.changeGiven = money(report.changeGiven);
    report.cashExpected = money(report.cashReceived - report.changeGiven);
    report.profit = money(report.profit);
    if (report.byOperator.size() < 2)
        report.byOperator.clear();
    return report;
}

QList<ShiftSession> RecentSessions(int limit)
{
    QList<ShiftSession> list;
    QSqlQuery query = Db::Run(
        QStringLiteral("select id, username, btime, jtime from rz order by id desc limit ?"),
        {limit});
    while (query.next())
        list << ShiftSession{query.value(0).toLongLong(), query.value(1).toString(),
                             query.value(2).toString(), query.value(3).toString()};
    return list;
}
