#include "components/labelsheet.h"
#include "components/printing.h"
#include "data/dataset.h"
#include "fixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TestLabelSheet : public QObject
{
    Q_OBJECT

private slots:
    void layoutFillsFourColumnsAndFiveRows();
    void barCodesScan_data();
    void barCodesScan();
    void sheetPrintsToPdf();
};

void TestLabelSheet::layoutFillsFourColumnsAndFiveRows()
{
    QList<LabelSheet::Label> labels;
    for (int i = 0; i < 23; ++i)
        labels << LabelSheet::Label{QStringLiteral("商品%1").arg(i), QString::number(i)};
    const auto pages = LabelSheet::Layout(labels);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages[0].size(), 20); // 130 mm of printable height holds five 25 mm rows
    QCOMPARE(pages[1].size(), 3);
    QCOMPARE(pages[0][5].band, QRectF(47.5, 25, 47.5, 25));
    QCOMPARE(pages[0][19].band, QRectF(142.5, 100, 47.5, 25));
    QCOMPARE(pages[1][0].label.code, QStringLiteral("20"));
}

void TestLabelSheet::barCodesScan_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("EAN-13 digits") << "6920000000017";
    QTest::newRow("letters and digits") << "AB-1024x";
    QTest::newRow("short") << "7";
}

void TestLabelSheet::barCodesScan()
{
    QFETCH(QString, code);
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty())
        QSKIP("zbarimg is not installed");
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("label.png"));
    QVERIFY(LabelSheet::RenderLabel({QStringLiteral("矿泉水 550ml"), code}, 300).save(png));
    QProcess process;
    process.start(zbarimg, {QStringLiteral("--raw"), QStringLiteral("-q"),
                            QStringLiteral("-Scode128.enable"), png});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).trimmed(), code);
}

void TestLabelSheet::sheetPrintsToPdf()
{
    Fixture fixture;
    fixture.Start();
    for (int i = 0; i < 25; ++i)
        fixture.AddProduct(QStringLiteral("69200000%1").arg(i, 5, 10, QLatin1Char('0')),
                           QStringLiteral("矿泉水%1").arg(i), 1, 2, 2);
    Dataset dataset(QStringLiteral("t"), QStringLiteral("sp"), QStringLiteral("select * from sp"));
    dataset.Open();
    const QString pdf = fixture.FilePath(QStringLiteral("labels.pdf"));
    Printing::SetPdfTarget(pdf);
    LabelSheet::Preview(nullptr, &dataset);
    Printing::SetPdfTarget(QString());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    if (qEnvironmentVariableIsSet("ZENTRIK_KEEP_PDF"))
        QFile::copy(pdf, qEnvironmentVariable("ZENTRIK_KEEP_PDF"));
    fixture.Stop();
}

ZENTRIK_TEST_MAIN(TestLabelSheet)
#include "tst_labelsheet.moc"
