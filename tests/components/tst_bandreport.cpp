// Page breaks and placement of the banded report layout.

#include "components/bandreport.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

Band textBand(double height, const QString &text)
{
    Band band;
    band.height = height;
    BandText t;
    t.x = 10;
    t.y = 1;
    t.text = text;
    band.texts << t;
    return band;
}

// A report on a 100 mm page without margins: 10 mm title, 10 mm heading, rows of
// `rowHeight`, a 30 mm summary.
BandReport report(int rows, double rowHeight)
{
    BandReport r;
    r.paper = QSizeF(100, 100);
    r.margins = QMarginsF(0, 0, 0, 0);
    r.title << textBand(10, QStringLiteral("title"));
    r.columnHeader << textBand(10, QStringLiteral("heading"));
    for (int i = 0; i < rows; ++i)
        r.detail << textBand(rowHeight, QStringLiteral("row%1").arg(i));
    r.summary << textBand(30, QStringLiteral("summary"));
    return r;
}

QStringList texts(const QList<PrintItem> &page)
{
    QStringList list;
    for (const PrintItem &item : page)
        if (item.kind == PrintItem::Kind::Text)
            list << item.text;
    return list;
}

} // namespace

class TestBandReport : public QObject
{
    Q_OBJECT

private slots:
    // A framed band drawn at a print resolution and shown scaled down, as the whole-page
    // preview does, keeps all four edges: a thin rule must not fall between the pixels.
    void framesCloseAtEveryScale_data()
    {
        QTest::addColumn<double>("scale");
        for (double scale : {0.08, 0.0625, 0.05, 0.043, 0.037})
            QTest::newRow(qPrintable(QString::number(scale))) << scale;
    }
    void framesCloseAtEveryScale()
    {
        QFETCH(double, scale);
        BandReport r;
        r.paper = QSizeF(180, 100);
        r.margins = QMarginsF(0, 0, 0, 0);
        for (double height : {7.4, 10.6}) {
            Band band;
            band.height = height;
            band.frameTop = band.frameLeft = band.frameRight = band.frameBottom = true;
            r.title << band;
        }
        const QList<PrintItem> page = LayoutBandReport(r, 1200).first();
        const int dotsWide = int(std::lround(180 * 1200 / 25.4));
        const int dotsHigh = int(std::lround(18 * 1200 / 25.4));
        QImage image(int(dotsWide * scale) + 4, int(dotsHigh * scale) + 4, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(scale, scale);
        PaintItems(painter, page);
        painter.end();
        auto darkIn = [&image](QRect area) {
            area &= image.rect();
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 128)
                        return true;
            return false;
        };
        const int right = int(dotsWide * scale);
        const int bottom = int(dotsHigh * scale);
        const int middleY = bottom / 2, middleX = right / 2;
        // Right edge, a column one pixel wide at the frame's right end.
        QVERIFY(darkIn(QRect(right - 1, middleY - 2, 2, 1)));
        // Bottom edge of the second band and the left and top edges.
        QVERIFY(darkIn(QRect(middleX, bottom - 1, 1, 2)));
        QVERIFY(darkIn(QRect(0, middleY - 2, 2, 1)));
        QVERIFY(darkIn(QRect(middleX, 0, 1, 2)));
    }

    void pageBreaks_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<double>("rowHeight");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("all on one page")
            << 5 << 10.0
            << QStringList{QStringLiteral("title heading row0 row1 row2 row3 row4 summary")};
        // 8 rows fill the first page exactly; the summary goes alone to the next one.
        QTest::newRow("summary moves on")
            << 8 << 10.0
            << QStringList{QStringLiteral("title heading row0 row1 row2 row3 row4 row5 row6 row7"),
                           QStringLiteral("summary")};
        QTest::newRow("rows continue under the heading")
            << 10 << 10.0
            << QStringList{QStringLiteral("title heading row0 row1 row2 row3 row4 row5 row6 row7"),
                           QStringLiteral("heading row8 row9 summary")};
        // A row taller than a page still gets a page of its own.
        QTest::newRow("oversized rows")
            << 2 << 150.0
            << QStringList{QStringLiteral("title heading row0"), QStringLiteral("heading row1"),
                           QStringLiteral("summary")};
    }
    void pageBreaks()
    {
        QFETCH(int, rows);
        QFETCH(double, rowHeight);
        QFETCH(QStringList, pages);
        const auto laid = LayoutBandReport(report(rows, rowHeight), 254);
        QStringList got;
        for (const auto &page : laid)
            got << texts(page).join(QLatin1Char(' '));
        QCOMPARE(got, pages);
    }

    void placementInDots()
    {
        BandReport r;
        r.paper = QSizeF(110, 100);
        r.margins = QMarginsF(5, 5, 5, 5); // 100 mm wide printable area
        Band band;
        band.height = 10;
        band.frameTop = band.frameLeft = true;
        BandText t;
        t.x = 20;
        t.y = 2;
        t.width = 30;
        t.alignment = Qt::AlignRight;
        t.text = QStringLiteral("9.5");
        band.texts << t;
        band.lines << BandLine{40, 0, 40, 10};
        r.title << band << band;
        // 254 dpi: 10 dots per mm.
        const QList<PrintItem> page = LayoutBandReport(r, 254).value(0);
        QList<QRect> rules;
        QList<PrintItem> textItems;
        for (const PrintItem &item : page)
            (item.kind == PrintItem::Kind::Rule
                 ? void(rules << QRect(item.pos, QSize(item.width, item.height)))
                 : void(textItems << item));
        QCOMPARE(rules.size(), 6);
        QCOMPARE(rules[0], QRect(0, 0, 1000, 4));   // top frame across the printable width
        QCOMPARE(rules[1], QRect(0, 0, 4, 100));    // left frame over the band's height
        QCOMPARE(rules[2], QRect(398, 0, 4, 100));  // the column rule, centred on 40 mm
        QCOMPARE(rules[3], QRect(0, 100, 1000, 4)); // the second band starts 10 mm lower
        QCOMPARE(textItems[1].pos, QPoint(200, 120));
        QCOMPARE(textItems[1].width, 300);
        QCOMPARE(textItems[1].alignment, Qt::AlignRight);
    }
};

QTEST_MAIN(TestBandReport)
#include "tst_bandreport.moc"
