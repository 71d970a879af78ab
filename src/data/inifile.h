#pragma once
// INI documents as the program keeps config.ini: GBK text, sections in brackets, one
// key=value per line. Reading and rewriting keep the order of sections and keys and every
// line that is none of the program's own, as another program or a person may have added
// lines of their own.

#include <QByteArray>
#include <QString>
#include <optional>

namespace Ini {

// The text after the first "=" of the first line of `section` whose key (the text before
// the "=", blanks trimmed) is `key`, letter case aside; nullopt when there is none.
// Section names are compared as written between the brackets, blanks included.
std::optional<QString> Value(const QByteArray &gbkText, const QString &section, const QString &key);

// The document with `key` of `section` set to `value`: the first such line is replaced,
// or a line is added at the end of the section, or the section is added at the end.
// Lines end with CR LF; trailing blank lines are dropped.
QByteArray WithValue(const QByteArray &gbkText, const QString &section, const QString &key,
                     const QString &value);

} // namespace Ini
