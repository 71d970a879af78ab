#pragma once
// A flat bar chart of totals over numbered slots (months 1..12, days 1..31): a fixed
// horizontal axis from 0 to `slots`, each label the number and a suffix ("3月"), thin bars
// of one colour with their value printed above them, a gradient behind the plot, no
// legend and no grid lines.

#include <QChartView>
#include <QColor>
#include <QList>
#include <QPair>

class QBarSet;
class QGraphicsSimpleTextItem;

class SalesChart : public QChartView
{
    Q_OBJECT
public:
    // Slots 1..lastLabel carry labels; the axis runs from 0 to `axisMax`.
    SalesChart(const QString &title, int axisMax, int lastLabel, const QString &suffix,
               const QColor &barColor, QWidget *parent = nullptr);

    // One bar per point (slot, value); points outside the axis are dropped.
    void SetPoints(const QList<QPair<int, double>> &points);
    QList<QPair<int, double>> Points() const { return m_points; }
    // The value marks currently shown, in slot order.
    QStringList ValueMarks() const;

private:
    void placeMarks();

    int m_axisMax;
    QBarSet *m_set = nullptr;
    QList<QPair<int, double>> m_points;
    QList<QGraphicsSimpleTextItem *> m_marks;
    class QValueAxis *m_valueAxis = nullptr;
};
