// Amounts in capital numerals: the fen string, the zero and section rules of the walk,
// the "整" suffix and the rejection of characters other than digits and the point.

#include "data/capitals.h"
#include "data/notice.h"

#include <QTest>

class TestCapitals : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void amounts_data();
    void amounts();
    void invalidCharacter_data();
    void invalidCharacter();
    void digitsAndUnits();

private:
    QStringList m_notices;
    void captureMessages();
};

void TestCapitals::captureMessages()
{
    m_notices.clear();
    Notice::SetHook([this](const QString &text) { m_notices << text; });
}

void TestCapitals::cleanup()
{
    Notice::SetHook(nullptr);
}

void TestCapitals::amounts_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *amount, const char *expected) {
        QTest::addRow("%s", amount) << QString::fromUtf8(amount) << QString::fromUtf8(expected);
    };

    // Zero in any short form has no wording.
    row("0", "");
    row("0.00", "");
    row(".", "");
    row("", "");
    row("000", "");

    // Whole yuan, jiao and fen, zeros inside and at the end.
    row("10", "壹拾元整");
    row("100.5", "壹佰元伍角");
    row("1005.07", "壹仟零伍元零柒分");
    row("1000.05", "壹仟元零伍分");
    row("1000.50", "壹仟元伍角");
    row("305.00", "叁佰零伍元整");
    row("10010", "壹万零壹拾元整");
    row("100100", "壹拾万零壹佰元整");
    row("20001.00", "贰万零壹元整");
    row("1", "壹元整");
    row("5.", "伍元整");

    // Under one yuan: no "元", the first digit is the jiao or fen digit.
    row("0.53", "伍角叁分");
    row("0.05", "伍分");
    row(".5", "伍角");
    row("0.10", "壹角");

    // The fen value is exact and digits after the second decimal are dropped, not rounded.
    row("12.345", "壹拾贰元叁角肆分");
    row("12.349", "壹拾贰元叁角肆分");
    row("0.999", "玖角玖分");
    row("0.29", "贰角玖分");
    row("1.15", "壹元壹角伍分");
    row("0.001", "");

    // Short and long inputs take different ways to the same fen string.
    row("1000000", "壹佰万元整");
    row("1000000.00", "壹佰万元整");
    row("123456789.1", "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角");
    row("0001000.50", "壹仟元伍角");

    // Sections: an all-zero group writes no unit; the higher sections use combined units.
    row("100010000.00", "壹亿零壹万元整");
    row("1010000000.00", "壹拾亿壹仟万元整");
    row("1000100000000.00", "壹万亿零壹亿元整");
    row("123456789.12", "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角贰分");
    row("100000001.00", "壹亿零壹元整");
    row("20000000000000.00", "贰拾万亿元整");
    row("10000000000000000.00", "壹亿亿元整");
    row("10001000000000000.00", "壹亿亿零壹万亿元整");
    row("9999999999999999999999999999.99",
        "玖仟玖佰玖拾玖亿亿亿玖仟玖佰玖拾玖万亿亿玖仟玖佰玖拾玖亿亿玖仟玖佰玖拾玖万亿"
        "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分");
    row("1000000000000000000000000.00", "壹亿亿亿元整");
    row("1000000000000000000000000000.00", "壹仟亿亿亿元整");

    // Ten or more characters keep the digits as written after the leading zeros.
    row("0000000000", "整");
    row("0000000.05", "零伍分");

    // Not a number: two or more points count as zero, short or long.
    row("1.2.3", "");
    row("..", "");
    row("1.2.300000", "");
    row("100000.00.00", "");

    // Amounts of 10^28 yuan and more have no unit for their leading digit.
    row("10000000000000000000000000000.00", "");
    row("123456789012345678901234567890123456789", "");
}

void TestCapitals::amounts()
{
    QFETCH(QString, amount);
    QFETCH(QString, expected);
    captureMessages();
    QCOMPARE(AmountToCapitals(amount), expected);
    QVERIFY(m_notices.isEmpty());
}

void TestCapitals::invalidCharacter_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("code");

    QTest::newRow("negative") << QStringLiteral("-5.00") << QStringLiteral("45");
    QTest::newRow("blank inside") << QStringLiteral("12 .50") << QStringLiteral("32");
    QTest::newRow("first bad character") << QStringLiteral("1,2x") << QStringLiteral("44");
    QTest::newRow("comma in long text") << QStringLiteral("1,000,000.00") << QStringLiteral("44");
    QTest::newRow("exponent") << QStringLiteral("1e5") << QStringLiteral("101");
    QTest::newRow("full-width digit") << QStringLiteral("１２") << QStringLiteral("65297");
    QTest::newRow("Chinese character") << QStringLiteral("十元") << QStringLiteral("21313");
    QTest::newRow("outside the BMP") << QStringLiteral("1\U0001F4B0") << QStringLiteral("128176");
}

void TestCapitals::invalidCharacter()
{
    QFETCH(QString, amount);
    QFETCH(QString, code);
    captureMessages();
    QCOMPARE(AmountToCapitals(amount), QString());
    QCOMPARE(m_notices, QStringList({code, QStringLiteral("读取错误，应为数字")}));
}

void TestCapitals::digitsAndUnits()
{
    const QString numerals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    for (int d = 0; d < 10; ++d)
        QCOMPARE(CapitalDigit(QChar(u'0' + d)), QString(numerals.at(d)));
    QCOMPARE(CapitalDigit(QLatin1Char('.')), QString());
    QCOMPARE(CapitalDigit(QChar(0x0663)), QString()); // Arabic-Indic three

    const QStringList units =
        QStringLiteral("分 角  拾 佰 仟 万 拾 佰 仟 亿 拾 佰 仟 万亿 拾 佰 仟 "
                       "亿亿 拾 佰 仟 万亿亿 拾 佰 仟 亿亿亿 拾 佰 仟")
            .split(QLatin1Char(' '));
    QCOMPARE(units.size(), 30);
    for (int p = 1; p <= 30; ++p)
        QCOMPARE(PositionUnit(p), units.at(p - 1));
    QCOMPARE(PositionUnit(0), QString());
    QCOMPARE(PositionUnit(31), QString());
}

QTEST_GUILESS_MAIN(TestCapitals)
#include "tst_capitals.moc"
