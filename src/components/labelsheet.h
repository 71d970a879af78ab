#pragma once
// Bar-code label sheet: a page of 210 x 150 mm with 10 mm margins holding four columns
// of labels 47.5 mm wide and 25 mm high, each a rounded frame with the product name and
// a Code 128 bar code of the product code.

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

class Dataset;
class QPainter;
class QWidget;

namespace LabelSheet {

inline constexpr double PageWidthMm = 210;
inline constexpr double PageHeightMm = 150;
inline constexpr double MarginMm = 10;
inline constexpr double ColumnWidthMm = 47.5;
inline constexpr double LabelHeightMm = 25;

struct Label
{
    QString name;
    QString code;
};

// A label on its page: its band in millimetres from the top-left corner of the printable
// area (inside the margins).
struct Placement
{
    QRectF band;
    Label label;
};

// The labels in order, four to a row, as many rows to a page as fit.
QList<QList<Placement>> Layout(const QList<Label> &labels);

// Draws one page; `dotsPerMm` converts millimetres to the painter's device units.
void PaintPage(QPainter &painter, const QList<Placement> &page, double dotsPerMm);

// One label drawn alone on a white image at `dotsPerInch`.
QImage RenderLabel(const Label &label, int dotsPerInch);

// The labels of the dataset's rows (商品名称, 商品编码) in its current order, in print
// preview; with a PDF target set (Printing), straight to that file.
void Preview(QWidget *parent, const Dataset *dataset);

} // namespace LabelSheet
