#pragma once
// The return window: a settled sale found by its number, the quantities to give back
// chosen line by line, and the return stored as a sale of its own.

#include "checkout/till.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TReturnDialog;
}

class TReturnDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TReturnDialog(Till &till, QWidget *parent = nullptr);
    ~TReturnDialog() override;

    // Shows the sale with this number (as typed or scanned); false when there is none.
    bool LoadSale(const QString &number);
    // Stores the return of the chosen quantities after a question.
    void ConfirmReturn();

signals:
    // A return was stored; `print` is the state of the print check.
    void Returned(const ReceiptData &receipt, bool print);

private:
    void findButtonClicked();
    void currentLineChanged();
    void quantityEdited(const QString &text);
    void allButtonClicked();
    void showLines();
    void showRefund();
    bool eventFilter(QObject *watched, QEvent *event) override;

    std::unique_ptr<Ui::TReturnDialog> m_ui;
    Till &m_till;
    std::optional<Till::SoldSale> m_sale;
    QList<double> m_quantities; // chosen per line of m_sale
};
