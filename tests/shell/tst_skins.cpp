// The looks: every palette fills every place of the one template, every text reads at
// 4.5:1 against its background, focus frames and arrows stand out, and Qt parses the
// filled sheet.

#include "shell/skins/skins.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>

namespace {

QStringList g_warnings;

void recordWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        g_warnings << message;
}

// The warnings Qt gives while applying a sheet to a freshly polished field.
QStringList applyWarnings(const QString &sheet)
{
    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
    qApp->setStyleSheet(sheet);
    QLineEdit edit;
    edit.ensurePolished();
    qInstallMessageHandler(previous);
    qApp->setStyleSheet(QString());
    return g_warnings;
}

} // namespace

class TestSkins : public QObject
{
    Q_OBJECT
    static void looks_data()
    {
        QTest::addColumn<int>("skin");
        for (int skin = -1; skin < Skins::Count(); ++skin)
            QTest::newRow(qPrintable(Skins::Name(skin))) << skin;
    }

private slots:
    void everyPlaceIsFilled_data() { looks_data(); }
    void everyPlaceIsFilled()
    {
        QFETCH(int, skin);
        const QHash<QString, QColor> palette = Skins::Palette(skin);
        QCOMPARE(palette.size(), Skins::Roles().size());
        for (const QColor &colour : palette)
            QVERIFY(colour.isValid());
        const QString sheet = Skins::Sheet(skin);
        QVERIFY(!sheet.isEmpty());
        QVERIFY2(!sheet.contains(QLatin1Char('@')), qPrintable(sheet.left(200)));
        // Every role the template names is a role of the palettes, and the other way round.
        static const QRegularExpression role(QStringLiteral("@([A-Za-z0-9]+)@"));
        QSet<QString> used;
        for (const QRegularExpressionMatch &m : role.globalMatch(Skins::Template()))
            used.insert(m.captured(1));
        for (const QString &name : Skins::Roles())
            QVERIFY2(used.contains(name) || name == QLatin1String("disabledText"),
                     qPrintable(name));
    }

    void textsAreReadable_data() { looks_data(); }
    void textsAreReadable()
    {
        QFETCH(int, skin);
        const QHash<QString, QColor> palette = Skins::Palette(skin);
        for (const auto &[text, background] : Skins::TextPairs()) {
            QVERIFY2(palette.contains(text) && palette.contains(background),
                     qPrintable(text + QLatin1Char('/') + background));
            const double ratio = Skins::Contrast(palette[text], palette[background]);
            QVERIFY2(
                ratio >= 4.5,
                qPrintable(
                    QStringLiteral("%1 on %2: %3:1").arg(text, background).arg(ratio, 0, 'f', 2)));
        }
        for (const auto &[frame, background] : Skins::FramePairs()) {
            const double ratio = Skins::Contrast(palette[frame], palette[background]);
            QVERIFY2(ratio >= 3, qPrintable(QStringLiteral("%1 around %2: %3:1")
                                                .arg(frame, background)
                                                .arg(ratio, 0, 'f', 2)));
        }
        QVERIFY(Skins::Contrast(Skins::ArrowColour(), palette[QStringLiteral("arrow")]) >= 4.5);
    }

    void arrowPicturesUseTheCheckedColour()
    {
        for (const char *path : {":/icons/up.svg", ":/icons/down.svg"}) {
            QFile file(QString::fromLatin1(path));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(QString::fromUtf8(file.readAll())
                        .contains(Skins::ArrowColour().name().toUpper(), Qt::CaseInsensitive));
        }
    }

    void contrastIsTheWcagRatio()
    {
        QCOMPARE(Skins::Contrast(Qt::black, Qt::white), 21.0);
        QCOMPARE(Skins::Contrast(Qt::white, Qt::white), 1.0);
        // White on the old rose selection of one skin: the 3.4:1 that was hard to read.
        QVERIFY(qAbs(Skins::Contrast(Qt::white, QColor(0xC9, 0x70, 0x7F)) - 3.4) < 0.1);
    }

    void qtParsesEverySheet_data() { looks_data(); }
    void qtParsesEverySheet()
    {
        QFETCH(int, skin);
        QCOMPARE(applyWarnings(Skins::Sheet(skin)), QStringList());
    }

    void aBrokenSheetIsNoticed()
    {
        // The check above would see a sheet Qt cannot read, or a role left unfilled.
        QVERIFY(!applyWarnings(QStringLiteral("QWidget { color: ")).isEmpty());
        QHash<QString, QColor> missing = Skins::Palette(0);
        missing.remove(QStringLiteral("field"));
        QVERIFY(!applyWarnings(Skins::Fill(Skins::Template(), missing)).isEmpty());
    }
};

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
