#include "operators/changepass.h"
#include "ui_changepass.h"

#include "components/inputs.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/dm.h"
#include "data/operators.h"
#include "operators/passwordbox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

Tchangepassfm::Tchangepassfm(QWidget *parent) : QDialog(parent), m_ui(new Ui::Tchangepassfm)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    for (QLineEdit *box : {m_ui->oldPasswordBox, m_ui->newPasswordBox, m_ui->repeatPasswordBox}) {
        SetUpPasswordBox(box);
        box->installEventFilter(this);
    }
    connect(m_ui->operatorBox, &QComboBox::activated, this,
            [this] { m_ui->oldPasswordBox->setFocus(); });
    connect(m_ui->changeButton, &QPushButton::clicked, this, &Tchangepassfm::changeButtonClicked);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &QDialog::close);

    FillComboDistinct(*dmfm->ADOQuery1, QStringLiteral("username"), QStringLiteral("userdb"),
                      m_ui->operatorBox);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    m_ui->operatorBox->setFocus();
}

Tchangepassfm::~Tchangepassfm() = default;

bool Tchangepassfm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter walks down the boxes to the button; only the button changes anything.
            QWidget *next = nullptr;
            if (watched == m_ui->oldPasswordBox)
                next = m_ui->newPasswordBox;
            else if (watched == m_ui->newPasswordBox)
                next = m_ui->repeatPasswordBox;
            else if (watched == m_ui->repeatPasswordBox)
                next = m_ui->changeButton;
            if (next) {
                next->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tchangepassfm::changeButtonClicked()
{
    if (!RequireComboText(m_ui->operatorBox, QStringLiteral("请选择操作员！")) ||
        !RequireEditText(m_ui->oldPasswordBox, QStringLiteral("必须输入旧口令！")) ||
        !RequireEditText(m_ui->newPasswordBox, QStringLiteral("新口令长度不能为空！")))
        return;
    const Operators::ChangeOutcome outcome =
        Operators::ChangePassword(m_ui->operatorBox->currentText(), m_ui->oldPasswordBox->text(),
                                  m_ui->newPasswordBox->text(), m_ui->repeatPasswordBox->text());
    Msg::Info(outcome.message);
    switch (outcome.refusal) {
    case Operators::ChangeRefusal::None:
        break;
    case Operators::ChangeRefusal::Mismatch:
        m_ui->repeatPasswordBox->clear();
        m_ui->repeatPasswordBox->setFocus();
        return;
    case Operators::ChangeRefusal::WrongOld:
        m_ui->oldPasswordBox->clear();
        m_ui->oldPasswordBox->setFocus();
        return;
    case Operators::ChangeRefusal::NoOperator:
    case Operators::ChangeRefusal::NoOldPassword:
    case Operators::ChangeRefusal::NoNewPassword:
        return; // caught by the checks above
    }
    m_ui->oldPasswordBox->clear();
    m_ui->newPasswordBox->clear();
    m_ui->repeatPasswordBox->clear();
    if (m_ui->closeWhenDoneBox->isChecked())
        close();
}

void Tchangepassfm::closeEvent(QCloseEvent *event)
{
    dmfm->ADOQuery1->Close();
    // Not QDialog::closeEvent, which would reject() and only hide the window.
    QWidget::closeEvent(event);
}

void Tchangepassfm::reject()
{
    close();
}

void Tchangepassfm::keyPressEvent(QKeyEvent *event)
{
    // Enter acts only where this window gives it a meaning (or on a focused button),
    // never on some default button of the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}
