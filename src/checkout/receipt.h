#pragma once
// The POS receipt of a sale: its data, its layout in printer dots, and printing it on the
// default printer.

#include "checkout/till.h"
#include "components/printing.h"

#include <QList>
#include <QString>

class QPrinter;

// The face of every receipt text: monospaced, a Chinese character two Latin widths.
QString ReceiptFontFamily();

// The name column of an item line with its separating blank: the name cut or padded to
// 18 GBK bytes, then one blank. A Chinese character that would straddle the 18th byte
// is left out and its place padded, so no half character is printed.
QString ReceiptNameColumn(const QString &name);

// Every text of the receipt at its position, top to bottom.
QList<PrintItem> ReceiptLayout(const ReceiptData &data);

// Gives the printer a custom paper of its current width and `lengthMm` millimetres long,
// without margins. An invalid printer is left unchanged.
void SetReceiptPaper(QPrinter &printer, int lengthMm);

// One line of text in the receipt's face at height y: the title size or the body size.
PrintItem ReceiptText(int y, const QString &line, bool title = false);

// Prints laid-out items on Printing::DefaultPrinter() with the receipt's paper. Returns
// false, with the reason in `error`, when there is no printer or the job cannot be done.
bool PrintOnReceiptPaper(const QList<PrintItem> &items, const QString &docName,
                         QString *error = nullptr);

// Prints the receipt on Printing::DefaultPrinter(). Returns false, with the reason in
// `error`, when there is no printer or the print job cannot be done.
bool PrintReceipt(const ReceiptData &data, QString *error = nullptr);
