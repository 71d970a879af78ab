#pragma once
// The login window: nobody works at the till without logging in.

#include <QDialog>
#include <memory>

namespace Ui {
class Tloginfm;
}

class Tloginfm : public QDialog
{
    Q_OBJECT
public:
    explicit Tloginfm(QWidget *parent = nullptr);
    ~Tloginfm() override;

    // The operator: the user box's text as typed or picked, untrimmed.
    QString OperatorName() const;

    // The desktop entry that starts the program; written each time the window is shown.
    static QString ShortcutPath();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void loginButtonClicked();
    static void writeShortcut();

    std::unique_ptr<Ui::Tloginfm> m_ui;
    int m_loginResult = 0;
};

extern Tloginfm *loginfm;
