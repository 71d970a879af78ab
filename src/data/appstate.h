#pragma once
// Values the program keeps for itself in the database (the current sale number and
// counter), so they are stored in the same transaction as the sale that changes them.

#include <QString>
#include <optional>

namespace AppState {

std::optional<QString> Value(const QString &key);
void SetValue(const QString &key, const QString &value);

} // namespace AppState
