#pragma once
// The sales the soak's till rings up, known to the till and to the test that checks the
// file after each kill: the sale whose number ends in counter c has planSize(c) lines,
// line j being product "P<j>" in quantity j + 1.

#include <QString>

namespace Soak {

constexpr int ProductCount = 5;

inline int PlanSize(qint64 counter)
{
    return 1 + int(counter % 4);
}

inline QString Code(int line)
{
    return QStringLiteral("P%1").arg(line);
}

inline double Quantity(int line)
{
    return line + 1;
}

inline double SalePrice(int line)
{
    return 1.5 + line;
}

inline double PurchasePrice(int line)
{
    return 1 + 0.5 * line;
}

// Every sale goes on hold and is recalled before it is settled; the sale whose counter is
// a multiple of ReturnEvery then has its first line given back, under the next number.
constexpr int ReturnEvery = 3;

// The counter digits that end a sale number ("CJG2612110000017 " -> 17).
inline qint64 CounterOf(const QString &number)
{
    return number.trimmed().right(6).toLongLong();
}

} // namespace Soak
