// The till of the crash soak: settles the planned sales (soak.h) one after another on the
// database in the folder it is given, for ever, until it is killed; each cart is held and
// recalled before settling, and every few sales one is partly returned. After a restart it
// recalls a held cart, makes a return that was due, completes the cart and settles it,
// as a cashier would.

#include "soak.h"

#include "checkout/till.h"
#include "data/db.h"
#include "data/dm.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <cstdio>

namespace {

// The last stored sale, when it is due a return that was not made yet.
void returnIfDue(Till &till)
{
    const QString last =
        Db::Scalar(QStringLiteral("select a from data3 order by ID desc limit 1")).toString();
    if (last.isEmpty() || Soak::CounterOf(last) % Soak::ReturnEvery != 0)
        return;
    const std::optional<Till::SoldSale> sale = till.FindSale(last);
    if (!sale || !sale->returnOf.isEmpty() || sale->lines.isEmpty() ||
        sale->lines.first().Returnable() <= 0)
        return;
    if (till.SettleReturn(last, {{sale->lines.first().id, Soak::Quantity(0)}}).refusal !=
        Till::ReturnRefusal::None)
        std::exit(5);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    try {
        Tdmfm dm(QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("data.db")));
        if (Db::Scalar(QStringLiteral("select count(*) from sp")).toInt() == 0) {
            Db::Transaction transaction;
            for (int i = 0; i < Soak::ProductCount; ++i)
                Db::InsertRow(QStringLiteral("sp"),
                              {{QStringLiteral("商品编码"), Soak::Code(i)},
                               {QStringLiteral("商品名称"), QStringLiteral("商品%1").arg(i)},
                               {QStringLiteral("进货单价"), Soak::PurchasePrice(i)},
                               {QStringLiteral("销售单价"), Soak::SalePrice(i)},
                               {QStringLiteral("会员价"), Soak::SalePrice(i)},
                               {QStringLiteral("单位"), QStringLiteral("个")}});
            transaction.Commit();
        }
        Till till;
        till.SetOperator(QStringLiteral("超级管理员"));
        till.RestoreCounter(QString(), QString());
        for (;;) {
            returnIfDue(till);
            const QList<Till::HeldSale> held = till.HeldSales();
            if (!held.isEmpty() &&
                till.RecallHeld(held.first().id, false).result != Till::RecallResult::Recalled)
                return 6;
            const int lines = Soak::PlanSize(Soak::CounterOf(till.SaleNumber()));
            const int have = Db::Scalar(QStringLiteral("select count(*) from data")).toInt();
            for (int j = have; j < lines; ++j)
                if (till.AddByCode(Soak::Code(j), Soak::Quantity(j)) != Till::AddResult::Added)
                    return 3;
            const std::optional<Till::HeldSale> hold = till.Hold(QDateTime::currentDateTime());
            if (!hold || till.RecallHeld(hold->id, false).result != Till::RecallResult::Recalled)
                return 7;
            if (till.Settle(QStringLiteral("1000")).refusal != Till::Refusal::None)
                return 4;
        }
    } catch (const DbError &error) {
        std::fprintf(stderr, "%s\n", error.Message().toUtf8().constData());
        return 1;
    }
}
