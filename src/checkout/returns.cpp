// Returns: a settled sale's lines given back, stored as a sale of their own with
// negative quantities and amounts, the refund paid out as change.

#include "checkout/till.h"

#include "data/db.h"
#include "data/mylib.h"

#include <QHash>
#include <QSqlQuery>

namespace {

const QString kNotePrefix = QStringLiteral("退货:");

double moneyOf(double value)
{
    double money = 0;
    ParseNumber(MoneyText(value), &money);
    return money;
}

} // namespace

double Till::SoldLine::Returnable() const
{
    return std::max(0.0, AsShown(quantity - returned));
}

QString Till::ReturnNote(const QString &originalNumber)
{
    return kNotePrefix + TrimControl(originalNumber);
}

QString Till::ReturnOf(const QString &note)
{
    return note.startsWith(kNotePrefix) ? note.mid(kNotePrefix.size()) : QString();
}

std::optional<Till::SoldSale> Till::FindSale(const QString &number) const
{
    QSqlQuery summary =
        Db::Run(QStringLiteral("select a, b, day1, z from data3 where a=? order by ID limit 1"),
                {TrimControl(number)});
    if (!summary.next())
        return std::nullopt;
    SoldSale sale;
    sale.number = summary.value(0).toString();
    sale.operatorName = summary.value(1).toString();
    sale.date = summary.value(2).toString();
    sale.returnOf = ReturnOf(summary.value(3).toString());
    // What earlier returns gave back, per sold line: their quantities are negative.
    QSqlQuery lines =
        Db::Run(QStringLiteral("select s.ID, s.c, s.a, s.z, s.\"4\", s.\"2\", s.\"6\", "
                               "coalesce((select -sum(r.\"2\") from data1 r where r.a5 = s.ID), 0) "
                               "from data1 s where s.h=? order by s.ID"),
                {sale.number});
    while (lines.next()) {
        SoldLine line;
        line.id = lines.value(0).toLongLong();
        line.code = lines.value(1).toString();
        line.name = lines.value(2).toString();
        line.unit = lines.value(3).toString();
        line.price = lines.value(4).toDouble();
        line.quantity = lines.value(5).toDouble();
        line.amount = lines.value(6).toDouble();
        line.returned = AsShown(lines.value(7).toDouble());
        sale.lines << line;
    }
    return sale;
}

Till::Return Till::SettleReturn(const QString &number, const QList<ReturnLine> &chosen,
                                const QTime &printTime)
{
    Return result;
    // One date for the return's lines, its summary and its receipt.
    const QString day = DateText(SaleDate());
    // Read and checked inside the transaction that stores the return, so what was
    // returned meanwhile counts.
    Db::Transaction transaction;
    const std::optional<SoldSale> sale = FindSale(number);
    if (!sale) {
        result.refusal = ReturnRefusal::NotFound;
        return result;
    }
    if (!sale->returnOf.isEmpty()) {
        result.refusal = ReturnRefusal::IsReturn;
        return result;
    }
    QHash<qint64, const SoldLine *> byId;
    for (const SoldLine &line : sale->lines)
        byId.insert(line.id, &line);
    QHash<qint64, double> quantities; // a line chosen twice counts with both quantities
    QList<qint64> order;
    for (const ReturnLine &line : chosen) {
        if (!byId.contains(line.lineId)) {
            result.refusal = ReturnRefusal::UnknownLine;
            result.lineId = line.lineId;
            return result;
        }
        if (!(line.quantity > 0))
            continue;
        if (!quantities.contains(line.lineId))
            order << line.lineId;
        quantities[line.lineId] = AsShown(quantities.value(line.lineId) + line.quantity);
    }
    if (order.isEmpty()) {
        result.refusal = ReturnRefusal::NothingChosen;
        return result;
    }
    for (const qint64 id : order)
        if (quantities.value(id) > byId.value(id)->Returnable()) {
            result.refusal = ReturnRefusal::TooMany;
            result.lineId = id;
            return result;
        }

    const auto [returnNumber, counter] = numberToStore();
    const QString note = ReturnNote(sale->number);
    double refund = 0, profit = 0;
    ReceiptData &receipt = result.receipt;
    for (const qint64 id : order) {
        const SoldLine &sold = *byId.value(id);
        const double quantity = quantities.value(id);
        QSqlQuery original = Db::Run(
            QStringLiteral("select \"1\", \"7\", coalesce((select sum(r.\"6\") from data1 r "
                           "where r.a5 = s.ID), 0), coalesce((select sum(r.\"7\") from "
                           "data1 r where r.a5 = s.ID), 0) from data1 s where s.ID=?"),
            {id});
        original.next();
        const double purchase = original.value(0).toDouble();
        double amount = AsShown(sold.price * quantity);
        double lineProfit = AsShown((sold.price - purchase) * quantity);
        // The last of a line gives back what is left of its amount and profit, so a line
        // returned in parts nets to exactly zero.
        if (quantity == sold.Returnable()) {
            amount = AsShown(sold.amount + original.value(2).toDouble());
            lineProfit = AsShown(original.value(1).toDouble() + original.value(3).toDouble());
        }
        Db::Run(
            QStringLiteral("insert into data1 (a,b,c,d,h,i,z,j,a5,\"1\",\"2\",\"3\",\"4\",\"5\","
                           "\"6\",\"7\",day1) select a,b,c,d,?,?,z,?,ID,\"1\",?,\"3\",\"4\",0,"
                           "?,?,? from data1 where ID=?"),
            {TrimControl(returnNumber), TrimControl(m_operator), note, -quantity, -amount,
             -lineProfit, day, id});
        refund += amount;
        profit += lineProfit;
        receipt.lines << ReceiptLine{sold.name, -quantity, -amount};
    }
    refund = moneyOf(refund);
    receipt.saleNumber = returnNumber;
    receipt.cashier = m_operator;
    receipt.saleDate = day;
    receipt.printTime = printTime;
    receipt.total = MoneyText(-refund);
    receipt.received = receipt.total;
    receipt.cash = 0;
    receipt.change = refund;
    receipt.returnOf = sale->number;
    WriteSaleSummary(returnNumber, receipt, -AsShown(profit));
    const QPair<QString, qint64> next = AdvanceSaleNumber(counter);
    transaction.Commit();
    moveToNumber(next);
    return result;
}
