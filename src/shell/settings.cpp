#include "shell/settings.h"

#include "shell/maker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QTextCodec>

namespace Settings {
namespace {

QString &configDirectory()
{
    static QString directory;
    return directory;
}

QTextCodec *gbk()
{
    static QTextCodec *codec = QTextCodec::codecForName("GBK");
    return codec;
}

QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brenwick"),
                     QStringLiteral("voz"));
}

// A minimal INI document: section and key order and every unrelated line survive a
// rewrite, as another program or a person may have added lines of their own.
struct IniLine
{
    QString section; // section the line belongs to
    QString key;     // empty for headers, comments and blank lines
    QString text;    // the line as it stands
};

QList<IniLine> parseIni(const QString &text)
{
    QList<IniLine> lines;
    QString section;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        IniLine entry{section, QString(), line};
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            // Section names are compared as written between the brackets, blanks included.
            const qsizetype open = line.indexOf(QLatin1Char('['));
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            section = line.mid(open + 1, close - open - 1);
            entry.section = section;
        } else if (!trimmed.startsWith(QLatin1Char(';')) && trimmed.contains(QLatin1Char('='))) {
            entry.key = line.left(line.indexOf(QLatin1Char('='))).trimmed();
        }
        lines << entry;
    }
    while (!lines.isEmpty() && lines.last().text.isEmpty() && lines.last().key.isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QString> iniValue(const QList<IniLine> &lines, const QString &section,
                                const QString &key)
{
    for (const IniLine &line : lines)
        if (line.section == section && line.key.compare(key, Qt::CaseInsensitive) == 0)
            return line.text.mid(line.text.indexOf(QLatin1Char('=')) + 1);
    return std::nullopt;
}

void setIniValue(QList<IniLine> &lines, const QString &section, const QString &key,
                 const QString &value)
{
    const QString text = key + QLatin1Char('=') + value;
    qsizetype lastOfSection = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].section != section)
            continue;
        lastOfSection = i;
        if (lines[i].key.compare(key, Qt::CaseInsensitive) == 0) {
            lines[i].text = text;
            return;
        }
    }
    if (lastOfSection < 0) {
        lines << IniLine{section, QString(), QLatin1Char('[') + section + QLatin1Char(']')};
        lastOfSection = lines.size() - 1;
    }
    lines.insert(lastOfSection + 1, IniLine{section, key, text});
}

QList<IniLine> readIni()
{
    QFile file(ConfigPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseIni(gbk()->toUnicode(file.readAll()));
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
    const QList<IniLine> lines = readIni();
    const SaleCounter defaults = DefaultSaleCounter();
    return {
        iniValue(lines, NumberSection(), QStringLiteral("number")).value_or(defaults.number),
        iniValue(lines, CounterSection(), QStringLiteral("number0")).value_or(defaults.counter)};
}

bool WriteSaleCounter(const SaleCounter &value)
{
    QList<IniLine> lines = readIni();
    setIniValue(lines, NumberSection(), QStringLiteral("number"), value.number);
    setIniValue(lines, CounterSection(), QStringLiteral("number0"), value.counter);
    QString text;
    for (const IniLine &line : lines)
        text += line.text + QStringLiteral("\r\n");

    QSaveFile file(ConfigPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(gbk()->fromUnicode(text));
    return file.commit();
}

} // namespace Settings
