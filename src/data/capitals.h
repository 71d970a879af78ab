#pragma once
// Amounts of money written in Chinese capital numerals, as on invoices and sales slips:
// "1005.07" -> "壹仟零伍元零柒分".

#include <QChar>
#include <QString>

// Capital numeral text of an amount in yuan given as decimal text. Empty for zero, for
// texts of up to 9 characters that are no decimal number, for amounts of 10^28 yuan and
// more, and after an input error (a character other than a digit or the point, reported
// with two messages).
QString AmountToCapitals(const QString &amount);
// Capital numeral of a digit character "0".."9"; empty text for any other character.
QString CapitalDigit(QChar digit);
// Unit of the digit at `position` (1 to 30) of a fen digit string, counted from its right
// end: 1 is 分, 2 is 角, 3 the yuan digit (empty text: "元" is written separately).
// Empty text outside 1..30.
QString PositionUnit(int position);
