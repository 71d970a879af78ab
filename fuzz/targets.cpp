#include "targets.h"

#include "catalogue/workbook.h"
#include "data/capitals.h"
#include "data/inifile.h"
#include "data/mylib.h"
#include "data/notice.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void fail(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "property broken: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

void check(bool holds, const char *what, const QString &detail = QString())
{
    if (!holds)
        fail(what, detail);
}

QByteArray bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// The plain-notation range where a number text must read back as the same text.
bool plainRange(double value)
{
    const double magnitude = std::fabs(value);
    return magnitude == 0 || (magnitude >= 1e-6 && magnitude < 1e15);
}

} // namespace

namespace Fuzz {

int PinyinInitials(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = bytes(data, size);
    const QByteArray code = ::PinyinInitials(input);
    // One letter per character: a character is one or two bytes.
    check(code.size() <= input.size() && 2 * code.size() >= input.size(), "pinyin length");
    for (char c : code)
        check(c > ' ' && c < 127, "pinyin letter is printable ASCII");
    return 0;
}

int AmountToCapitals(const std::uint8_t *data, std::size_t size)
{
    const QString input = QString::fromUtf8(bytes(data, size));
    int notices = 0;
    Notice::SetHook([&notices](const QString &) { ++notices; });
    const QString capitals = ::AmountToCapitals(input);
    Notice::SetHook(nullptr);
    static const QString allowed = QStringLiteral("零壹贰叁肆伍陆柒捌玖拾佰仟万亿元角分整");
    for (QChar c : capitals)
        check(allowed.contains(c), "capitals use only capital numerals and units", input);
    bool digitsOnly = true;
    for (QChar c : input)
        digitsOnly = digitsOnly && ((c >= u'0' && c <= u'9') || c == u'.');
    // A text of digits and points is read silently; anything else is reported twice.
    check(notices == (digitsOnly ? 0 : 2), "capitals notices", input);
    check(digitsOnly || capitals.isEmpty(), "refused text has no capitals", input);
    return 0;
}

int ParseNumber(const std::uint8_t *data, std::size_t size)
{
    const QString input = QString::fromUtf8(bytes(data, size));
    double value = 0;
    const bool accepted = ::ParseNumber(input, &value);

    // The independent reading: blanks around an optional sign, digits with at most one
    // point and at least one digit, converted by the C library.
    const QString t = input.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == u'+' || t.at(i) == u'-'))
        ++i;
    int digits = 0;
    int points = 0;
    bool grammar = true;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (t.at(j) >= u'0' && t.at(j) <= u'9')
            ++digits;
        else if (t.at(j) == u'.')
            ++points;
        else
            grammar = false;
    }
    grammar = grammar && digits > 0 && points <= 1;
    double expected = 0;
    if (grammar) {
        std::setlocale(LC_NUMERIC, "C");
        const std::string ascii = t.toStdString();
        expected = std::strtod(ascii.c_str(), nullptr);
    }
    const bool readable = grammar && std::isfinite(expected);
    check(accepted == readable, "number accepted exactly when it is a finite decimal", input);
    if (!accepted)
        return 0;
    check(value == expected || (std::fabs(expected) < DBL_MIN && value == 0),
          "number value is the nearest double", input);

    if (plainRange(value)) {
        double again = 0;
        const QString text = NumberText(value);
        check(::ParseNumber(text, &again) && NumberText(again) == text,
              "number text reads back as itself", text);
        check(::ParseNumber(MoneyText(value), &again), "money text reads back", MoneyText(value));
    }
    return 0;
}

int ConfigIni(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = bytes(data, size);
    const QString numberSection = QStringLiteral("官网 http://www.zentrikpos.cn");
    const QString counterSection = QStringLiteral("永久免费");
    (void)Ini::Value(input, numberSection, QStringLiteral("number"));
    (void)Ini::Value(input, counterSection, QStringLiteral("number0"));

    // Writing the sale number and then the counter, as the program does after a sale:
    // both read back, and writing the same values again changes nothing.
    const QString number = QStringLiteral("ABC2412%1 ").arg(size);
    const QString counter = QString::number(qHash(input));
    QByteArray written = Ini::WithValue(input, numberSection, QStringLiteral("number"), number);
    written = Ini::WithValue(written, counterSection, QStringLiteral("number0"), counter);
    check(Ini::Value(written, numberSection, QStringLiteral("number")) == number,
          "ini number reads back");
    check(Ini::Value(written, counterSection, QStringLiteral("number0")) == counter,
          "ini counter reads back");
    QByteArray again = Ini::WithValue(written, numberSection, QStringLiteral("number"), number);
    again = Ini::WithValue(again, counterSection, QStringLiteral("number0"), counter);
    check(again == written, "ini rewrite is stable");
    return 0;
}

int Workbook(const std::uint8_t *data, std::size_t size)
{
    // The reader opens files: each input is written to the same file of a private folder.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input"));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "workbook input written");
        file.write(bytes(data, size));
    }
    ::Workbook::Sheet sheet;
    ::Workbook::ReadSheet(path, QStringLiteral("kelvra"), &sheet);
    for (const QVariantList &row : sheet)
        for (const QVariant &cell : row)
            check(!cell.isValid() || cell.typeId() == QMetaType::Double ||
                      cell.typeId() == QMetaType::QString,
                  "workbook cells are numbers, texts or empty");
    return 0;
}

} // namespace Fuzz
