// The per-user values and config.ini with the sale number and counter.

#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QByteArray fileBytes() const
    {
        QFile file(Settings::ConfigPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath(QStringLiteral("config.ini")));
        Settings::SetConfigDirectory(m_dir.path());
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brenwick"),
                  QStringLiteral("voz"))
            .clear();
    }

    void missingFileGivesDefaultsAndCreatesNothing()
    {
        const Settings::SaleCounter value = Settings::ReadSaleCounter();
        QCOMPARE(value.number, QStringLiteral("CJG121122000002"));
        QCOMPARE(value.counter, QStringLiteral("1"));
        QVERIFY(!QFile::exists(Settings::ConfigPath()));
    }

    void configFileIsGbkAndRoundTrips()
    {
        QVERIFY(
            Settings::WriteSaleCounter({QStringLiteral("LSM1393000007 "), QStringLiteral("7")}));
        const QByteArray bytes = fileBytes();
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        const QString text = gbk->toUnicode(bytes);
        QVERIFY(text.contains(QLatin1Char('[') + Settings::NumberSection() + QLatin1Char(']')));
        QVERIFY(text.contains(QStringLiteral("[永久免费]")));
        QVERIFY(bytes.contains(gbk->fromUnicode(QStringLiteral("[永久免费]"))));
        QVERIFY(!bytes.contains(QStringLiteral("永久免费").toUtf8()));
        QVERIFY(text.contains(QStringLiteral("number=LSM1393000007 \r\n")));

        const Settings::SaleCounter back = Settings::ReadSaleCounter();
        QCOMPARE(back.number, QStringLiteral("LSM1393000007 ")); // trailing blank kept
        QCOMPARE(back.counter, QStringLiteral("7"));
    }

    void rewriteKeepsOtherLinesAndMissingKeysDefault()
    {
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        QFile file(Settings::ConfigPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            gbk->fromUnicode(QStringLiteral("[其他]\r\n键=值\r\n[永久免费]\r\nnumber0=41\r\n")));
        file.close();

        Settings::SaleCounter value = Settings::ReadSaleCounter();
        QCOMPARE(value.number, QStringLiteral("CJG121122000002")); // section missing
        QCOMPARE(value.counter, QStringLiteral("41"));

        QVERIFY(Settings::WriteSaleCounter({QStringLiteral("A "), QStringLiteral("42")}));
        const QString text = gbk->toUnicode(fileBytes());
        QVERIFY(text.startsWith(QStringLiteral("[其他]\r\n键=值\r\n[永久免费]\r\nnumber0=42\r\n")));
        QCOMPARE(text.count(QStringLiteral("number0=")), 1);
        QCOMPARE(Settings::ReadSaleCounter().number, QStringLiteral("A "));
    }

    void unwritableFolderReportsFailure()
    {
        Settings::SetConfigDirectory(m_dir.filePath(QStringLiteral("no/such/folder")));
        QVERIFY(!Settings::WriteSaleCounter(Settings::DefaultSaleCounter()));
    }

    void userValuesRoundTripAndStayAbsentUntilWritten()
    {
        QVERIFY(!Settings::UserValue(QStringLiteral("skin")).has_value());
        Settings::SetUserValue(QStringLiteral("skin"), QStringLiteral("3"));
        Settings::SetUserValue(QStringLiteral("save"), QStringLiteral("/媒体/备份.db"));
        // A fresh reader (as at the next start) sees both values.
        QSettings reader(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brenwick"),
                         QStringLiteral("voz"));
        QCOMPARE(reader.value(QStringLiteral("skin")).toString(), QStringLiteral("3"));
        QCOMPARE(Settings::UserValue(QStringLiteral("save")).value(),
                 QStringLiteral("/媒体/备份.db"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
