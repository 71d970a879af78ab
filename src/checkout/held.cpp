// Holding the cart aside and bringing it back: the till's held sales.

#include "checkout/till.h"

#include "data/db.h"
#include "data/mylib.h"

#include <QSqlQuery>

namespace {

// The cart's columns, the same in data and held_lines.
const QString kLineColumns =
    QStringLiteral("a,b,c,d,e,f,g,h,i,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\","
                   "day1,day6");

} // namespace

std::optional<Till::HeldSale> Till::Hold(const QDateTime &now)
{
    const CartTotals totals = Totals();
    if (totals.lines == 0)
        return std::nullopt;
    Db::Transaction transaction;
    // The smallest short number no held sale carries, so the numbers stay small.
    QList<int> taken;
    QSqlQuery numbers = Db::Run(QStringLiteral("select no from held"));
    while (numbers.next())
        taken << numbers.value(0).toInt();
    int number = 1;
    while (taken.contains(number))
        ++number;
    HeldSale held;
    held.number = number;
    held.operatorName = TrimControl(m_operator);
    held.time = DateTimeText(now);
    held.lines = totals.lines;
    held.quantity = totals.quantity;
    held.amount = totals.amount;
    held.id =
        Db::InsertRow(QStringLiteral("held"), {{QStringLiteral("no"), held.number},
                                               {QStringLiteral("operator"), held.operatorName},
                                               {QStringLiteral("time"), held.time}});
    Db::Run(QStringLiteral("insert into held_lines (held,%1) select ?,%1 from data order by id")
                .arg(kLineColumns),
            {held.id});
    Db::Run(QStringLiteral("delete from data"));
    transaction.Commit();
    return held;
}

QList<Till::HeldSale> Till::HeldSales() const
{
    QList<HeldSale> list;
    QSqlQuery query = Db::Run(QStringLiteral(
        "select h.id, h.no, h.operator, h.time, count(l.id), coalesce(sum(l.\"2\"), 0), "
        "coalesce(sum(l.\"6\"), 0) from held h left join held_lines l on l.held = h.id "
        "group by h.id, h.no, h.operator, h.time order by h.no, h.id"));
    while (query.next()) {
        HeldSale held;
        held.id = query.value(0).toLongLong();
        held.number = query.value(1).toInt();
        held.operatorName = query.value(2).toString();
        held.time = query.value(3).toString();
        held.lines = query.value(4).toInt();
        held.quantity = query.value(5).toDouble();
        held.amount = query.value(6).toDouble();
        list << held;
    }
    return list;
}

Till::Recall Till::RecallHeld(qint64 heldId, bool currentPrices)
{
    Recall recall;
    if (Totals().lines > 0) {
        recall.result = RecallResult::CartNotEmpty;
        return recall;
    }
    if (Db::Scalar(QStringLiteral("select count(*) from held where id=?"), {heldId}).toInt() == 0)
        return recall;

    Db::Transaction transaction;
    // The lines become lines of the sale in progress, rung up by whoever recalls them.
    Db::Run(
        QStringLiteral("insert into data (%1) select %1 from held_lines where held=? order by id")
            .arg(kLineColumns),
        {heldId});
    Db::Run(QStringLiteral("update data set h=?, i=?, day1=?"),
            {TrimControl(m_saleNumber), TrimControl(m_operator), DateText(SaleDate())});
    if (currentPrices) {
        QSqlQuery lines = Db::Run(QStringLiteral("select id, c, \"1\", \"3\", \"4\" from data"));
        while (lines.next()) {
            const qint64 id = lines.value(0).toLongLong();
            const QString code = lines.value(1).toString();
            const auto prices = CatalogPrices(code);
            if (!prices) {
                ++recall.unpriced;
                continue;
            }
            if (prices->purchase == lines.value(2).toDouble() &&
                prices->member == lines.value(3).toDouble() &&
                prices->sale == lines.value(4).toDouble())
                continue;
            Db::Run(QStringLiteral("update data set \"1\"=?, \"3\"=? where id=?"),
                    {prices->purchase, prices->member, id});
            ModifyLine(id, prices->sale, CartLine(id)->quantity);
            ++recall.repriced;
        }
    }
    Db::Run(QStringLiteral("delete from held_lines where held=?"), {heldId});
    Db::Run(QStringLiteral("delete from held where id=?"), {heldId});
    transaction.Commit();
    recall.result = RecallResult::Recalled;
    return recall;
}

bool Till::DeleteHeld(qint64 heldId)
{
    Db::Transaction transaction;
    const bool found =
        Db::Run(QStringLiteral("delete from held where id=?"), {heldId}).numRowsAffected() > 0;
    Db::Run(QStringLiteral("delete from held_lines where held=?"), {heldId});
    transaction.Commit();
    return found;
}
