#pragma once
// Every print-out of the program is made in two steps: a layout function turns its data
// into positioned items, and PaintItems draws them on a printer, a PDF file or a preview.
// Layouts are plain data, so they can be checked without a printer.

#include <QList>
#include <QPoint>
#include <QString>
#include <Qt>

#include <memory>

class QPainter;
class QPrinter;

// One thing on a printed page. Positions and sizes are in dots, the device units of the
// printer, from the top-left corner of its printable area.
struct PrintItem
{
    enum class Kind {
        Text, // `text` in the given font; `pos` is the top-left corner of its line
        Rule, // a filled bar of `width` x `height` dots at `pos`
    };

    Kind kind = Kind::Text;
    QPoint pos;
    QString text;
    QString fontFamily;
    double pointSize = 8; // relative to the printer's resolution
    bool bold = false;
    // Horizontal placement of the text inside `width`; a text without a width starts at
    // `pos` whatever its alignment.
    Qt::Alignment alignment = Qt::AlignLeft;
    int width = 0;  // 0: the text's natural width
    int height = 0; // 0: the font's line height; rules are at least one dot thick
};

// Draws the items in order. The painter must be active; its state is left as it was.
void PaintItems(QPainter &painter, const QList<PrintItem> &items);

namespace Printing {

// Dots per inch of a PDF target: that of a thermal receipt printer, so a PDF page is laid
// out as the paper would be.
inline constexpr int PdfDotsPerInch = 203;

// The printer every print-out uses. With a PDF target set, a high-resolution PDF printer
// writing to that file at PdfDotsPerInch; otherwise the system's default printer, or
// nullptr when there is none (the caller reports the failure).
std::unique_ptr<QPrinter> DefaultPrinter();
// Sends every later print-out to a PDF file; an empty path restores the default printer.
void SetPdfTarget(const QString &path);
QString PdfTarget();

} // namespace Printing
