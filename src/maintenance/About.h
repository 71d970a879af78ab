#pragma once
// The about window: names the product and gives the maker's contact addresses. Clicking an
// address hands it to the desktop (mail program or browser).

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void emailLabelClicked();
    void webLabelClicked();
    void okButtonClicked();

    std::unique_ptr<Ui::TAboutBox> m_ui;
};

extern TAboutBox *AboutBox;
