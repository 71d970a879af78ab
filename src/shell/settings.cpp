#include "shell/settings.h"

#include "data/inifile.h"
#include "shell/maker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>

namespace Settings {
namespace {

QString &configDirectory()
{
    static QString directory;
    return directory;
}

QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brenwick"),
                     QStringLiteral("voz"));
}

QByteArray readIni()
{
    QFile file(ConfigPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

std::optional<QString> UserValue(const QString &name)
{
    const QSettings settings = userSettings();
    if (!settings.contains(name))
        return std::nullopt;
    return settings.value(name).toString();
}

void SetUserValue(const QString &name, const QString &value)
{
    QSettings settings = userSettings();
    settings.setValue(name, value);
    settings.sync();
}

QString ConfigPath()
{
    const QString directory =
        configDirectory().isEmpty() ? QCoreApplication::applicationDirPath() : configDirectory();
    return QDir(directory).filePath(QStringLiteral("config.ini"));
}

void SetConfigDirectory(const QString &directory)
{
    configDirectory() = directory;
}

QString NumberSection()
{
    return QStringLiteral("官网 ") + Maker::WebAddress();
}

QString CounterSection()
{
    return QStringLiteral("永久免费");
}

SaleCounter DefaultSaleCounter()
{
    return {QStringLiteral("CJG121122000002"), QStringLiteral("1")};
}

SaleCounter ReadSaleCounter()
{
    const QByteArray ini = readIni();
    const SaleCounter defaults = DefaultSaleCounter();
    return {
        Ini::Value(ini, NumberSection(), QStringLiteral("number")).value_or(defaults.number),
        Ini::Value(ini, CounterSection(), QStringLiteral("number0")).value_or(defaults.counter)};
}

bool WriteSaleCounter(const SaleCounter &value)
{
    QByteArray ini = readIni();
    ini = Ini::WithValue(ini, NumberSection(), QStringLiteral("number"), value.number);
    ini = Ini::WithValue(ini, CounterSection(), QStringLiteral("number0"), value.counter);
    QSaveFile file(ConfigPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(ini);
    return file.commit();
}

} // namespace Settings
