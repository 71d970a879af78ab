// Replays every kept fuzz input, the seeds and the inputs that once broke a reader,
// through the same checks the fuzzers run; a broken check aborts the test.

#include "targets.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void TestFuzzCases::replay_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("path");
    const QStringList roots = {QStringLiteral(ZENTRIK_SOURCE_DIR "/fuzz/corpus"),
                               QStringLiteral(ZENTRIK_SOURCE_DIR "/tests/reliability/fuzzcases")};
    int cases = 0;
    for (int t = 0; t < int(std::size(Fuzz::kTargets)); ++t) {
        for (const QString &root : roots) {
            const QDir dir(root + QLatin1Char('/') + QLatin1String(Fuzz::kTargets[t].name));
            for (const QString &name : dir.entryList(QDir::Files)) {
                const QString path = dir.filePath(name);
                QTest::newRow(
                    qPrintable(QLatin1String(Fuzz::kTargets[t].name) + QLatin1Char('/') + name))
                    << t << path;
                ++cases;
            }
        }
    }
    QVERIFY2(cases > 0, "no fuzz inputs found");
}

void TestFuzzCases::replay()
{
    QFETCH(int, target);
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray input = file.readAll();
    QCOMPARE(Fuzz::kTargets[target].run(reinterpret_cast<const std::uint8_t *>(input.constData()),
                                        std::size_t(input.size())),
             0);
}

QTEST_GUILESS_MAIN(TestFuzzCases)
#include "tst_fuzzcases.moc"
