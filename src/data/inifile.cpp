#include "data/inifile.h"

#include <QList>
#include <QTextCodec>

namespace Ini {
namespace {

QTextCodec *gbk()
{
    static QTextCodec *codec = QTextCodec::codecForName("GBK");
    return codec;
}

struct Line
{
    QString section; // section the line belongs to
    QString key;     // empty for headers, comments and blank lines
    QString text;    // the line as it stands
};

QList<Line> parse(const QByteArray &gbkText)
{
    QList<Line> lines;
    QString section;
    for (QString line : gbk()->toUnicode(gbkText).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        Line entry{section, QString(), line};
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
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

} // namespace

std::optional<QString> Value(const QByteArray &gbkText, const QString &section, const QString &key)
{
    for (const Line &line : parse(gbkText))
        if (line.section == section && !line.key.isEmpty() &&
            line.key.compare(key, Qt::CaseInsensitive) == 0)
            return line.text.mid(line.text.indexOf(QLatin1Char('=')) + 1);
    return std::nullopt;
}

QByteArray WithValue(const QByteArray &gbkText, const QString &section, const QString &key,
                     const QString &value)
{
    QList<Line> lines = parse(gbkText);
    const QString text = key + QLatin1Char('=') + value;
    qsizetype lastOfSection = -1;
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size() && !replaced; ++i) {
        if (lines[i].section != section)
            continue;
        lastOfSection = i;
        if (!lines[i].key.isEmpty() && lines[i].key.compare(key, Qt::CaseInsensitive) == 0) {
            lines[i].text = text;
            replaced = true;
        }
    }
    if (!replaced) {
        if (lastOfSection < 0) {
            lines << Line{section, QString(), QLatin1Char('[') + section + QLatin1Char(']')};
            lastOfSection = lines.size() - 1;
        }
        lines.insert(lastOfSection + 1, Line{section, key, text});
    }
    QString document;
    for (const Line &line : lines)
        document += line.text + QStringLiteral("\r\n");
    return gbk()->fromUnicode(document);
}

} // namespace Ini
