// Number and date texts: binary artefacts hidden, halves rounded as a shop expects, no
// "-0", and only plain decimal numbers accepted from the user.

#include "data/mylib.h"

#include <QDateTime>
#include <QTest>

#include <limits>

class TestNumText : public QObject
{
    Q_OBJECT

private slots:
    void numberText_data();
    void numberText();
    void moneyText_data();
    void moneyText();
    void parseNumber_data();
    void parseNumber();
    void parseNumberRefused_data();
    void parseNumberRefused();
    void dateTexts();
};

void TestNumText::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0.1*3") << 0.1 * 3 << QStringLiteral("0.3");
    QTest::newRow("0.1+0.2") << 0.1 + 0.2 << QStringLiteral("0.3");
    QTest::newRow("2.5*3") << 2.5 * 3 << QStringLiteral("7.5");
    QTest::newRow("1.1*1.1") << 1.1 * 1.1 << QStringLiteral("1.21");
    QTest::newRow("integer") << 2.0 << QStringLiteral("2");
    QTest::newRow("price") << 15.8 << QStringLiteral("15.8");
    QTest::newRow("negative") << -12.5 << QStringLiteral("-12.5");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("15 digits") << 123456789012.345 << QStringLiteral("123456789012.345");
    QTest::newRow("rounded to 15 digits") << 1.0 / 3 << QStringLiteral("0.333333333333333");
    QTest::newRow("2/3") << 2.0 / 3 << QStringLiteral("0.666666666666667");
    QTest::newRow("carry to next power") << 0.99999999999999999 << QStringLiteral("1");
    QTest::newRow("1e14") << 1e14 << QStringLiteral("100000000000000");
    QTest::newRow("1e15 plain") << 1e15 << QStringLiteral("1000000000000000");
    QTest::newRow("1e20 plain") << 1e20 << QStringLiteral("100000000000000000000");
    QTest::newRow("beyond 15 digits") << 12345678901234567.0 << QStringLiteral("12345678901234600");
    QTest::newRow("1e21 exponent") << 1e21 << QStringLiteral("1e+21");
    QTest::newRow("large exponent") << -1.5e300 << QStringLiteral("-1.5e+300");
    QTest::newRow("small plain") << 0.0001 << QStringLiteral("0.0001");
    QTest::newRow("1e-5 plain") << 0.00001 << QStringLiteral("0.00001");
    QTest::newRow("1e-7 plain") << 1.25e-7 << QStringLiteral("0.000000125");
    QTest::newRow("1e-8 exponent") << 1.5e-8 << QStringLiteral("1.5e-8");
    QTest::newRow("denormal") << std::numeric_limits<double>::denorm_min()
                              << QStringLiteral("4.94065645841247e-324");
}

void TestNumText::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberText(value), expected);
}

void TestNumText::moneyText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    // Halves written in decimal round up even when the binary value lies just below.
    QTest::newRow("2.675") << 2.675 << QStringLiteral("2.68");
    QTest::newRow("1.005") << 1.005 << QStringLiteral("1.01");
    QTest::newRow("0.125") << 0.125 << QStringLiteral("0.13");
    QTest::newRow("0.005") << 0.005 << QStringLiteral("0.01");
    QTest::newRow("1.015 sum") << 1.0 + 0.015 << QStringLiteral("1.02");
    QTest::newRow("0.1*3") << 0.1 * 3 << QStringLiteral("0.30");
    QTest::newRow("below half") << 2.674999 << QStringLiteral("2.67");
    QTest::newRow("0.0049") << 0.0049 << QStringLiteral("0.00");
    QTest::newRow("carry into yuan") << 9.995 << QStringLiteral("10.00");
    QTest::newRow("carry through") << 999.999 << QStringLiteral("1000.00");
    // Away from zero for negative amounts, and no "-0.00".
    QTest::newRow("-2.675") << -2.675 << QStringLiteral("-2.68");
    QTest::newRow("-0.005") << -0.005 << QStringLiteral("-0.01");
    QTest::newRow("-0.001") << -0.001 << QStringLiteral("0.00");
    QTest::newRow("-0.0") << -0.0 << QStringLiteral("0.00");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0.00");
    QTest::newRow("tiny") << 1e-300 << QStringLiteral("0.00");
    // Plain amounts.
    QTest::newRow("integer") << 12.0 << QStringLiteral("12.00");
    QTest::newRow("one decimal") << 12.5 << QStringLiteral("12.50");
    QTest::newRow("under one") << 0.07 << QStringLiteral("0.07");
    QTest::newRow("million") << 1000000.0 << QStringLiteral("1000000.00");
    QTest::newRow("large") << 1e20 << QStringLiteral("100000000000000000000.00");
    QTest::newRow("large with cents") << 123456789012.34 << QStringLiteral("123456789012.34");
}

void TestNumText::moneyText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(MoneyText(value), expected);
}

void TestNumText::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("integer") << QStringLiteral("5") << 5.0;
    QTest::newRow("decimal") << QStringLiteral("12.34") << 12.34;
    QTest::newRow("trailing point") << QStringLiteral("5.") << 5.0;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5;
    QTest::newRow("minus") << QStringLiteral("-3.5") << -3.5;
    QTest::newRow("minus leading point") << QStringLiteral("-.5") << -0.5;
    QTest::newRow("plus") << QStringLiteral("+7") << 7.0;
    QTest::newRow("blanks around") << QStringLiteral("  8.25\t ") << 8.25;
    QTest::newRow("leading zeros") << QStringLiteral("007.50") << 7.5;
    QTest::newRow("zero") << QStringLiteral("0") << 0.0;
    QTest::newRow("long fraction") << QStringLiteral("0.1000000000000000055511151231257827") << 0.1;
    QTest::newRow("too small for a double")
        << QStringLiteral("0.") + QString(400, u'0') + QStringLiteral("1") << 0.0;
}

void TestNumText::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    double value = -999;
    QVERIFY(ParseNumber(text, &value));
    QCOMPARE(value, expected);
}

void TestNumText::parseNumberRefused_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("point only") << QStringLiteral(".");
    QTest::newRow("sign only") << QStringLiteral("-");
    QTest::newRow("sign and point") << QStringLiteral("+.");
    QTest::newRow("two points") << QStringLiteral("1.2.3");
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("trailing letter") << QStringLiteral("12a");
    QTest::newRow("exponent") << QStringLiteral("1e5");
    QTest::newRow("two signs") << QStringLiteral("--5");
    QTest::newRow("sign after digits") << QStringLiteral("5-");
    QTest::newRow("blank after sign") << QStringLiteral("- 5");
    QTest::newRow("blank inside") << QStringLiteral("1 000");
    QTest::newRow("thousands separator") << QStringLiteral("1,000");
    QTest::newRow("decimal comma") << QStringLiteral("1,5");
    QTest::newRow("hexadecimal") << QStringLiteral("0x10");
    QTest::newRow("inf") << QStringLiteral("inf");
    QTest::newRow("nan") << QStringLiteral("nan");
    QTest::newRow("full-width digits") << QStringLiteral("１２");
    QTest::newRow("Arabic-Indic digit") << QString(QChar(0x0663));
    QTest::newRow("too large for a double") << QStringLiteral("1") + QString(400, u'0');
}

void TestNumText::parseNumberRefused()
{
    QFETCH(QString, text);
    double value = 42.5;
    QVERIFY(!ParseNumber(text, &value));
    QCOMPARE(value, 42.5);
}

void TestNumText::dateTexts()
{
    QCOMPARE(DateText(QDate(2013, 9, 3)), QStringLiteral("2013-09-03"));
    QCOMPARE(DateText(QDate(2024, 12, 31)), QStringLiteral("2024-12-31"));
    QCOMPARE(DateText(QDate()), QString());
    QCOMPARE(DateTimeText(QDateTime(QDate(2013, 9, 3), QTime(18, 2, 11))),
             QStringLiteral("2013-09-03 18:02:11"));
    QCOMPARE(DateTimeText(QDateTime(QDate(2013, 1, 5), QTime(7, 4, 9, 999))),
             QStringLiteral("2013-01-05 07:04:09"));
    QCOMPARE(DateTimeText(QDateTime(QDate(2013, 9, 3), QTime(0, 0))),
             QStringLiteral("2013-09-03 00:00:00"));
}

QTEST_GUILESS_MAIN(TestNumText)
#include "tst_numtext.moc"
