#pragma once
// The A4 sales slip of the sale being rung up: heading with slip number and date, blank
// customer lines, one ruled row per cart line, the total in figures and in Chinese
// capitals, and the signature line with the issuing operator.

#include "components/bandreport.h"

#include <QList>
#include <QObject>
#include <QString>

struct SlipLine
{
    QString name;
    QString specification;
    QString unit;
    double quantity = 0;
    double price = 0;
    double amount = 0;
};

struct SlipData
{
    QString saleNumber;
    QString date; // yyyy-mm-dd
    QString operatorName;
    QList<SlipLine> lines;
    // Total of the line amounts as money text ("7.00").
    QString TotalText() const;
};

namespace SalesSlip {

// The cart's lines in entry order.
QList<SlipLine> CartLines();
// The slip's bands: heading, two customer bands, column heading, one row per line, total
// and signature bands.
BandReport Layout(const SlipData &slip);
// "（大写） " and the capitals of a money text; a negative total reads "负" before them,
// a zero total leaves the capitals empty.
QString CapitalsText(const QString &total);

} // namespace SalesSlip

class TForm2 : public QObject
{
    Q_OBJECT
public:
    explicit TForm2(QObject *parent = nullptr);

    // The slip of the current sale: its number, today's date, the cart, the operator.
    SlipData CurrentSlip() const;
    // "销售单": the print preview of the current slip (1024 x 800, whole page); with a PDF
    // target set, the slip goes straight to that file.
    void PreviewSlip();
    const SlipData &LastSlip() const { return m_slip; }

private:
    SlipData m_slip;
};

extern TForm2 *Form2;
