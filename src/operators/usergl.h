#pragma once
// User administration: after the administrator's password has been entered again here,
// the administrator resets passwords, adds and deletes users.

#include <QDialog>
#include <memory>

namespace Ui {
class Tuserglfm;
}

class Tuserglfm : public QDialog
{
    Q_OBJECT
public:
    // Shows itself, non-modal and centred on the screen; destroyed when closed.
    explicit Tuserglfm(QWidget *parent = nullptr);
    ~Tuserglfm() override;

    // True once the administrator's password has been accepted in this window.
    bool Unlocked() const { return m_unlocked; }

protected:
    // Escape closes the window like its close button: it is destroyed, not hidden.
    void reject() override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loginButtonClicked();
    void userListCurrentChanged();
    void hintButtonClicked();
    void resetButtonClicked();
    void addButtonClicked();
    void deleteButtonClicked();
    void fillUserList();

    std::unique_ptr<Ui::Tuserglfm> m_ui;
    bool m_unlocked = false;
};
