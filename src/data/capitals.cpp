#include "data/capitals.h"

#include "data/notice.h"

namespace {

// Fen strings longer than this have no unit for their leading digits.
constexpr int MaxPositions = 30;

// Texts of at most this many characters are read as a decimal number; longer texts are
// cut at their point (see fenDigits).
constexpr int ShortInputLength = 9;

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The positions that close a group of four digits and carry its unit: 万, 亿, 万亿, 亿亿,
// 万亿亿, 亿亿亿.
bool isSectionPosition(int position)
{
    return position > 4 && (position + 1) % 4 == 0;
}

// The first character that is neither an ASCII digit nor the point, or -1.
qsizetype firstInvalidIndex(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isAsciiDigit(c) && c != QLatin1Char('.'))
            return i;
    }
    return -1;
}

// Code of the character at `index` as decimal text; a surrogate pair counts as the one
// character it encodes.
QString characterCode(const QString &text, qsizetype index)
{
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return QString::number(QChar::surrogateToUcs4(c, text.at(index + 1)));
    return QString::number(c.unicode());
}

// Integer part and the first two fraction digits (padded with "0") of a text cut at its
// first point.
QString joinYuanAndFen(const QString &text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString integerPart = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1, 2);
    return integerPart + fraction.leftJustified(2, QLatin1Char('0'));
}

// The amount as a string of decimal digits counting whole fen; digits beyond the second
// decimal are dropped, never rounded. The text holds only digits and points here. Empty
// when the text is no amount at all.
QString fenDigits(const QString &text)
{
    const qsizetype points = text.count(QLatin1Char('.'));
    if (text.size() <= ShortInputLength) {
        // A short text is read as a number: with two or more points or without any digit
        // it counts as zero. The result carries no leading zeros.
        if (points > 1 || points == text.size())
            return QStringLiteral("0");
        qsizetype first = 0;
        const QString fen = joinYuanAndFen(text);
        while (first < fen.size() - 1 && fen.at(first) == QLatin1Char('0'))
            ++first;
        return fen.mid(first);
    }
    // A long text keeps the digits as written after its leading zeros: an amount of only
    // zeros gives "00". Two or more points make it no amount, as for a short text.
    if (points > 1)
        return QString();
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == QLatin1Char('0'))
        ++first;
    return joinYuanAndFen(text.mid(first));
}

} // namespace

QString CapitalDigit(QChar digit)
{
    static const char16_t numerals[] = u"零壹贰叁肆伍陆柒捌玖";
    if (!isAsciiDigit(digit))
        return QString();
    return QString(QChar(numerals[digit.unicode() - u'0']));
}

QString PositionUnit(int position)
{
    static const char16_t *const units[MaxPositions] = {
        u"分", u"角", u"",       u"拾", u"佰",   u"仟", u"万",     u"拾", u"佰",   u"仟",
        u"亿", u"拾", u"佰",     u"仟", u"万亿", u"拾", u"佰",     u"仟", u"亿亿", u"拾",
        u"佰", u"仟", u"万亿亿", u"拾", u"佰",   u"仟", u"亿亿亿", u"拾", u"佰",   u"仟"};
    if (position < 1 || position > MaxPositions)
        return QString();
    return QString::fromUtf16(units[position - 1]);
}

QString AmountToCapitals(const QString &amount)
{
    const qsizetype invalid = firstInvalidIndex(amount);
    if (invalid >= 0) {
        Notice::Show(characterCode(amount, invalid));
        Notice::Show(QStringLiteral("读取错误，应为数字"));
        return QString();
    }

    const QString fen = fenDigits(amount);
    const qsizetype length = fen.size();
    if (length == 0 || length > MaxPositions)
        return QString();

    // A run of zeros is written as one "零" before the next non-zero digit. Each group of
    // four digits ends at a section position (万, 亿 ...): a non-zero digit there writes the
    // unit with itself; a zero there writes it only while the group is open, that is when
    // a non-zero digit of the group has been written after the last section unit. A group
    // of four zeros thus writes no unit.
    QString result;
    bool pendingZero = false;
    bool sectionOpen = true;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar digit = fen.at(i);
        const int position = int(length - i);
        const bool section = isSectionPosition(position);
        if (digit != QLatin1Char('0')) {
            if (pendingZero)
                result += QStringLiteral("零");
            result += CapitalDigit(digit) + PositionUnit(position);
            pendingZero = false;
            sectionOpen = !section;
        } else {
            pendingZero = true;
            if (section && sectionOpen) {
                result += PositionUnit(position);
                pendingZero = false;
                sectionOpen = false;
            }
        }
        if (position == 3) {
            result += QStringLiteral("元");
            pendingZero = false;
        }
    }
    if (length >= 2 && fen.endsWith(QLatin1String("00")))
        result += QStringLiteral("整");
    return result;
}
