#pragma once
// The settings kept outside the database: the per-user values (skin, backup path) and
// config.ini beside the executable (sale number and counter, GBK text).

#include <QString>
#include <optional>

namespace Settings {

// Per-user values under brenwick/voz. Reading never creates anything.
std::optional<QString> UserValue(const QString &name);
void SetUserValue(const QString &name, const QString &value);

// config.ini: the folder of the executable unless a test points it elsewhere.
QString ConfigPath();
void SetConfigDirectory(const QString &directory); // empty restores the default

struct SaleCounter
{
    QString number;  // the sale number with its trailing blank
    QString counter; // decimal text
};
SaleCounter DefaultSaleCounter();
// Reads both keys; a missing file, section or key gives its default.
SaleCounter ReadSaleCounter();
// Writes both keys, keeping every other line of the file. The file is replaced in one
// step (written beside it, flushed, renamed), so a crash leaves the old or the new file.
// Returns false when it cannot be written.
bool WriteSaleCounter(const SaleCounter &value);

// Section names of config.ini.
QString NumberSection();
QString CounterSection();

} // namespace Settings
