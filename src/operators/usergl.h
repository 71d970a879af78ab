#pragma once
// User administration: after the administrator's password has been entered again here,
// the administrator resets passwords, adds and deletes users.

#include <QWidget>
#include <memory>

namespace Ui {
class Tuserglfm;
}

class Tuserglfm : public QWidget
{
    Q_OBJECT
public:
    // Shows itself, non-modal and centred on the screen; destroyed when closed.
    explicit Tuserglfm(QWidget *parent = nullptr);
    ~Tuserglfm() override;

    // True once the administrator's password has been accepted in this window.
    bool Unlocked() const { return m_unlocked; }

protected:
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
