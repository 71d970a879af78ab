#include "data/appstate.h"

#include "data/db.h"

namespace AppState {

std::optional<QString> Value(const QString &key)
{
    const QVariant value =
        Db::Scalar(QStringLiteral("select \"value\" from app_state where \"key\"=?"), {key});
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void SetValue(const QString &key, const QString &value)
{
    Db::Run(QStringLiteral("insert into app_state (\"key\", \"value\") values (?, ?) "
                           "on conflict (\"key\") do update set \"value\" = excluded.\"value\""),
            {key, value});
}

} // namespace AppState
