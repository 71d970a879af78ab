#pragma once
// A small sales history: sales in several months of 2012 and 2013, one product without a
// member price, one sale whose only line was deleted (its summary stays), and texts with a
// quote and a percent sign.

#include "data/db.h"

#include <QDate>
#include <QString>

struct HistoryLine
{
    const char *sale, *name, *spec, *code, *category, *op;
    double member, price, quantity;
    const char *day;
};

inline void AddSaleLine(const HistoryLine &l)
{
    const double amount = l.price * l.quantity;
    Db::InsertRow(QStringLiteral("data1"), {{QStringLiteral("h"), QString::fromUtf8(l.sale)},
                                            {QStringLiteral("a"), QString::fromUtf8(l.name)},
                                            {QStringLiteral("b"), QString::fromUtf8(l.spec)},
                                            {QStringLiteral("c"), QString::fromUtf8(l.code)},
                                            {QStringLiteral("d"), QString::fromUtf8(l.category)},
                                            {QStringLiteral("i"), QString::fromUtf8(l.op)},
                                            {QStringLiteral("z"), QStringLiteral("个")},
                                            {QStringLiteral("1"), l.price * 0.8},
                                            {QStringLiteral("2"), l.quantity},
                                            {QStringLiteral("3"), l.member},
                                            {QStringLiteral("4"), l.price},
                                            {QStringLiteral("6"), amount},
                                            {QStringLiteral("7"), amount * 0.2},
                                            {QStringLiteral("day1"), QString::fromLatin1(l.day)}});
}

inline void AddSummary(const char *sale, const char *op, double received, double profit,
                       const char *day)
{
    Db::InsertRow(QStringLiteral("data3"), {{QStringLiteral("a"), QString::fromUtf8(sale)},
                                            {QStringLiteral("b"), QString::fromUtf8(op)},
                                            {QStringLiteral("1"), received},
                                            {QStringLiteral("2"), received},
                                            {QStringLiteral("3"), received},
                                            {QStringLiteral("4"), 0.0},
                                            {QStringLiteral("5"), profit},
                                            {QStringLiteral("7"), 0.0},
                                            {QStringLiteral("day1"), QString::fromLatin1(day)}});
}

inline void AddHistory()
{
    Db::Transaction transaction;
    const HistoryLine lines[] = {
        {"S1", "苹果", "500g", "001", "水果", "张三", 9, 10, 3, "2012-02-03"},
        {"S1", "橙子", "1kg", "003", "水果", "张三", 4, 4.5, 2, "2012-02-03"},
        {"S2", "香蕉", "把", "002", "水果", "李四", 0, 5, 1, "2012-02-17"},
        {"S3", "苹果", "500g", "001", "水果", "张三", 9, 10, 1, "2012-11-05"},
        {"S4", "牛奶", "250ml", "101", "饮品", "李四", 2.8, 3, 4, "2012-12-24"},
        {"S5", "it's 果汁", "100%纯", "102", "饮品", "张三", 6, 6.5, 2, "2013-01-09"},
        {"S6", "面包", "个", "201", "烘焙", "李四", 7, 8, 1, "2013-02-28"},
    };
    for (const HistoryLine &line : lines)
        AddSaleLine(line);
    AddSummary("S1", "张三", 39, 7.8, "2012-02-03");
    AddSummary("S2", "李四", 5, 1, "2012-02-17");
    AddSummary("S7", "张三", 8, 2, "2012-02-20"); // its only line was deleted
    AddSummary("S3", "张三", 10, 2, "2012-11-05");
    AddSummary("S4", "李四", 12, 2.4, "2012-12-24");
    AddSummary("S5", "张三", 13, 2.6, "2013-01-09");
    AddSummary("S6", "李四", 8, 1.6, "2013-02-28");
    transaction.Commit();
}
