#include "sales/saleschart.h"

#include "data/mylib.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLinearGradient>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

SalesChart::SalesChart(const QString &title, int axisMax, int lastLabel, const QString &suffix,
                       const QColor &barColor, QWidget *parent)
    : QChartView(parent), m_axisMax(axisMax)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPixelSize(14);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 2, 4, 2));
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    gradient.setColorAt(1, QColor(0xC8, 0xDC, 0xF0));
    chart->setBackgroundBrush(gradient);

    // Slot i of the series sits at x = i, so slot numbers and axis values coincide.
    auto *series = new QBarSeries;
    m_set = new QBarSet(title);
    m_set->setColor(barColor);
    m_set->setBorderColor(barColor.darker(140));
    for (int slot = 0; slot <= axisMax; ++slot)
        m_set->append(0);
    series->append(m_set);
    series->setBarWidth(0.15);
    chart->addSeries(series);

    auto *slotAxis = new QCategoryAxis;
    slotAxis->setRange(-0.5, axisMax + 0.5);
    slotAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // Thirty-one day labels do not fit side by side: every other day carries one.
    const int step = lastLabel > 12 ? 2 : 1;
    for (int slot = 1; slot <= lastLabel; slot += step)
        slotAxis->append(QString::number(slot) + suffix, slot);
    slotAxis->setGridLineVisible(false);
    QFont labelFont(QStringLiteral("宋体"));
    labelFont.setPixelSize(11);
    slotAxis->setLabelsFont(labelFont);
    chart->addAxis(slotAxis, Qt::AlignBottom);
    series->attachAxis(slotAxis);

    m_valueAxis = new QValueAxis;
    m_valueAxis->setGridLineVisible(false);
    m_valueAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_valueAxis->setLabelsFont(labelFont);
    chart->addAxis(m_valueAxis, Qt::AlignLeft);
    series->attachAxis(m_valueAxis);

    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    connect(chart, &QChart::plotAreaChanged, this, &SalesChart::placeMarks);
    SetPoints({});
}

void SalesChart::SetPoints(const QList<QPair<int, double>> &points)
{
    m_points.clear();
    for (const auto &point : points)
        if (point.first >= 0 && point.first <= m_axisMax)
            m_points << point;
    std::sort(m_points.begin(), m_points.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });

    QList<qreal> values(m_axisMax + 1, 0.0);
    double low = 0;
    double high = 0;
    for (const auto &[slot, value] : m_points) {
        values[slot] = value;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    m_set->remove(0, m_set->count());
    m_set->append(values);
    // Room above the tallest bar for its mark.
    if (high <= low)
        high = low + 1;
    m_valueAxis->setRange(low < 0 ? low * 1.15 : 0, high > 0 ? high * 1.15 : 0);
    m_valueAxis->applyNiceNumbers();

    qDeleteAll(m_marks);
    m_marks.clear();
    QFont markFont(QStringLiteral("宋体"));
    markFont.setPixelSize(11);
    for (const auto &point : m_points) {
        auto *mark = new QGraphicsSimpleTextItem(NumberText(point.second), chart());
        mark->setFont(markFont);
        m_marks << mark;
    }
    placeMarks();
}

QStringList SalesChart::ValueMarks() const
{
    QStringList texts;
    for (const QGraphicsSimpleTextItem *mark : m_marks)
        texts << mark->text();
    return texts;
}

void SalesChart::placeMarks()
{
    for (int i = 0; i < m_marks.size() && i < m_points.size(); ++i) {
        const auto &[slot, value] = m_points[i];
        const QPointF top = chart()->mapToPosition(QPointF(slot, std::max(value, 0.0)));
        const QRectF box = m_marks[i]->boundingRect();
        m_marks[i]->setPos(top.x() - box.width() / 2, top.y() - box.height() - 1);
    }
}
