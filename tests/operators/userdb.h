#pragma once
// Rows of the operators table, written and read behind the windows' backs.

#include "data/db.h"

#include <QString>

namespace UserDb {

inline void AddRow(const QString &name, const QString &password)
{
    Db::InsertRow(QStringLiteral("userdb"),
                  {{QStringLiteral("username"), name}, {QStringLiteral("passwd"), password}});
}

inline int RowsOf(const QString &name)
{
    return Db::Scalar(QStringLiteral("select count(*) from userdb where username=?"), {name})
        .toInt();
}

} // namespace UserDb
