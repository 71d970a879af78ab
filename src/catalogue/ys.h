#pragma once
// The product lookup dialog: pick a product from a filtered list and hand its code to
// the cart.

#include <QDialog>
#include <memory>

namespace Ui {
class Tysfm;
}

class Tysfm : public QDialog
{
    Q_OBJECT
public:
    explicit Tysfm(QWidget *parent = nullptr);
    ~Tysfm() override;

    // Lists every product (grouped, by code) and shows the dialog modally.
    int Open();
    void RunConditionQuery();
    void ClearConditions();
    // Hands the current row's code to the main window's cart and closes the dialog.
    void Choose();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    std::unique_ptr<Ui::Tysfm> m_ui;
};

extern Tysfm *ysfm;
