#pragma once
// The list of held sales: the cashier picks one to bring back into the cart, or deletes
// one on purpose.

#include <QDialog>
#include <memory>

class Till;

namespace Ui {
class THeldSalesDialog;
}

class THeldSalesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit THeldSalesDialog(Till &till, QWidget *parent = nullptr);
    ~THeldSalesDialog() override;

    // Reloads the list from the held sales; false when there are none.
    bool Reload();
    // Brings the selected held sale back into the cart and closes the list.
    void RecallSelected();
    // Deletes the selected held sale after a question.
    void DeleteSelected();

private:
    qint64 selectedId() const;

    std::unique_ptr<Ui::THeldSalesDialog> m_ui;
    Till &m_till;
};
