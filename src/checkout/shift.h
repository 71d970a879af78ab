#pragma once
// The shift report: what one login session took at the till, from its sale summaries.

#include <QList>
#include <QString>
#include <optional>

struct ShiftOperator
{
    QString name;
    int sales = 0;
    int returns = 0;
    double net = 0;
};

struct ShiftReport
{
    qint64 session = 0; // the rz row
    QString operatorName;
    QString loginTime;
    QString logoutTime; // empty while the session is in progress
    int sales = 0;
    double salesAmount = 0;
    int returns = 0;
    double returnsAmount = 0; // paid back, as a positive amount
    double net = 0;           // salesAmount - returnsAmount
    double cashReceived = 0;
    double changeGiven = 0;  // change of sales and refunds of returns
    double cashExpected = 0; // what the session added to the drawer
    double profit = 0;       // net of returns
    // Each operator's figures, listed only when more than one operator stored sales.
    QList<ShiftOperator> byOperator;
};

// The report of a session; nothing when no such session is logged.
std::optional<ShiftReport> ReadShiftReport(qint64 session);

struct ShiftSession
{
    qint64 id = 0;
    QString operatorName;
    QString loginTime;
    QString logoutTime;
};
// The most recent sessions first.
QList<ShiftSession> RecentSessions(int limit = 500);
