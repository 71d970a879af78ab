#pragma once
// Password change: a new password for a chosen operator, given the old one.

#include <QDialog>
#include <memory>

namespace Ui {
class Tchangepassfm;
}

class Tchangepassfm : public QDialog
{
    Q_OBJECT
public:
    // Shows itself, non-modal and centred on the screen; destroyed when closed.
    explicit Tchangepassfm(QWidget *parent = nullptr);
    ~Tchangepassfm() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Escape closes the window like its close button: it is destroyed, not hidden.
    void reject() override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void changeButtonClicked();

    std::unique_ptr<Ui::Tchangepassfm> m_ui;
};
