// Number and date texts of the program: what the screens show and what users type.

#include "data/mylib.h"

#include <QDateTime>

#include <cmath>

namespace {

// Significant digits every number text keeps: enough for any shop amount, few enough to
// hide the binary artefacts of sums such as 0.1 * 3.
constexpr int SignificantDigits = 15;

// Plain notation is used for magnitudes from 1e-7 up to below 1e21; beyond that a number
// is written with an exponent ("1e+21", "1.5e-8").
constexpr int MinPlainExponent = -7;
constexpr int MaxPlainExponent = 20;

// A finite, non-zero magnitude rounded to 15 significant digits: the digits without
// trailing zeros and the decimal exponent of the first one (value = d.ddd x 10^exponent).
struct Decimal
{
    QString digits;
    int exponent = 0;
};

Decimal toDecimal(double magnitude)
{
    // "d.dddddddddddddde+XX" with exactly 15 significant digits, correctly rounded.
    const QString text = QString::number(magnitude, 'e', SignificantDigits - 1);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    Decimal d;
    d.digits = text.left(e).remove(QLatin1Char('.'));
    d.exponent = text.mid(e + 1).toInt();
    qsizetype end = d.digits.size();
    while (end > 1 && d.digits.at(end - 1) == QLatin1Char('0'))
        --end;
    d.digits.truncate(end);
    return d;
}

// Plain decimal notation of digits with the exponent of their first one.
QString plainText(const Decimal &d)
{
    const qsizetype count = d.digits.size();
    if (d.exponent < 0)
        return QStringLiteral("0.") + QString(-d.exponent - 1, QLatin1Char('0')) + d.digits;
    const qsizetype integerDigits = qsizetype(d.exponent) + 1;
    if (integerDigits >= count)
        return d.digits + QString(integerDigits - count, QLatin1Char('0'));
    return d.digits.left(integerDigits) + QLatin1Char('.') + d.digits.mid(integerDigits);
}

QString exponentText(const Decimal &d)
{
    QString mantissa = d.digits.left(1);
    if (d.digits.size() > 1)
        mantissa += QLatin1Char('.') + d.digits.mid(1);
    return mantissa + QLatin1Char('e') + (d.exponent < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QString::number(std::abs(d.exponent));
}

// Adds one to a string of decimal digits.
QString incremented(QString digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits.at(i) != QLatin1Char('9')) {
            digits[i] = QChar(digits.at(i).unicode() + 1);
            return digits;
        }
        digits[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

QString NumberText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0"); // also for -0.0
    const Decimal d = toDecimal(std::fabs(value));
    const bool plain = d.exponent >= MinPlainExponent && d.exponent <= MaxPlainExponent;
    const QString text = plain ? plainText(d) : exponentText(d);
    return value < 0 ? QLatin1Char('-') + text : text;
}

QString MoneyText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0.00");

    // Rounds the 15-digit decimal text, not the binary value: 2.675 is stored as
    // 2.67499999..., but a shop expects 2.68.
    const Decimal d = toDecimal(std::fabs(value));
    // Digits kept: those down to the fen, the one at 10^-2.
    const qsizetype kept = qsizetype(d.exponent) + 3;
    QString fen; // the amount in whole fen, as decimal digits
    if (kept <= 0) {
        // Below 0.01: only a first digit at the 10^-3 position can round up to one fen.
        fen = (kept == 0 && d.digits.at(0) >= QLatin1Char('5')) ? QStringLiteral("1")
                                                                : QStringLiteral("0");
    } else if (kept >= d.digits.size()) {
        fen = d.digits + QString(kept - d.digits.size(), QLatin1Char('0'));
    } else {
        fen = d.digits.left(kept);
        if (d.digits.at(kept) >= QLatin1Char('5'))
            fen = incremented(fen);
    }

    fen = fen.rightJustified(3, QLatin1Char('0'));
    const QString text = fen.left(fen.size() - 2) + QLatin1Char('.') + fen.right(2);
    const bool zero = fen.count(QLatin1Char('0')) == fen.size();
    return value < 0 && !zero ? QLatin1Char('-') + text : text;
}

bool ParseNumber(const QString &text, double *value)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    QString normalized; // sign, integer digits, point, fraction digits: "-0.5" for "-.5"
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        if (t.at(i) == QLatin1Char('-'))
            normalized += QLatin1Char('-');
        ++i;
    }
    QString integerPart;
    QString fraction;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (isAsciiDigit(c)) {
            (point ? fraction : integerPart) += c;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (integerPart.isEmpty() && fraction.isEmpty())
        return false;
    normalized += (integerPart.isEmpty() ? QStringLiteral("0") : integerPart) + QLatin1Char('.') +
                  (fraction.isEmpty() ? QStringLiteral("0") : fraction);

    // The text is a valid decimal number here, so a conversion can only fail by range: a
    // number too large for a double is refused rather than read as infinity; one too
    // small for it reads as zero.
    bool ok = false;
    const double parsed = normalized.toDouble(&ok);
    if (!std::isfinite(parsed) || (!ok && parsed != 0))
        return false;
    if (value)
        *value = parsed;
    return true;
}

QString DateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString DateTimeText(const QDateTime &dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
