#include "operators/usergl.h"
#include "ui_usergl.h"

#include "components/messages.h"
#include "data/operators.h"
#include "operators/passwordbox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

Tuserglfm::Tuserglfm(QWidget *parent) : QDialog(parent), m_ui(new Ui::Tuserglfm)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    SetUpPasswordBox(m_ui->adminPasswordBox);
    m_ui->adminPasswordBox->installEventFilter(this);
    connect(m_ui->loginButton, &QPushButton::clicked, this, &Tuserglfm::loginButtonClicked);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_ui->userList, &QListWidget::currentItemChanged, this,
            &Tuserglfm::userListCurrentChanged);
    connect(m_ui->hintButton, &QPushButton::clicked, this, &Tuserglfm::hintButtonClicked);
    connect(m_ui->resetButton, &QPushButton::clicked, this, &Tuserglfm::resetButtonClicked);
    connect(m_ui->addButton, &QPushButton::clicked, this, &Tuserglfm::addButtonClicked);
    connect(m_ui->newNameBox, &QLineEdit::returnPressed, this, &Tuserglfm::addButtonClicked);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &Tuserglfm::deleteButtonClicked);

    fillUserList();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    m_ui->adminPasswordBox->setFocus();
}

Tuserglfm::~Tuserglfm() = default;

bool Tuserglfm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->adminPasswordBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_ui->loginButton->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tuserglfm::loginButtonClicked()
{
    if (!Operators::IsAdminPassword(m_ui->adminPasswordBox->text())) {
        Msg::Info(QStringLiteral("密码不对！"));
        return;
    }
    Msg::Info(QStringLiteral("超级管理员登录成功！"));
    m_unlocked = true;
    m_ui->userList->setEnabled(true);
    m_ui->pages->setEnabled(true);
    m_ui->adminPasswordBox->clear();
}

void Tuserglfm::userListCurrentChanged()
{
    const QListWidgetItem *item = m_ui->userList->currentItem();
    if (!item)
        return;
    m_ui->resetNameBox->setText(item->text());
    m_ui->deleteNameBox->setText(item->text());
}

void Tuserglfm::hintButtonClicked()
{
    Msg::Info(Operators::ResetHint());
}

void Tuserglfm::resetButtonClicked()
{
    Msg::Info(Operators::ResetPassword(m_ui->resetNameBox->text()).message);
}

void Tuserglfm::addButtonClicked()
{
    const QString name = m_ui->newNameBox->text();
    Msg::Info(Operators::AddUser(name).message);
    if (Operators::RefreshesListAfterAdd(name))
        fillUserList();
}

void Tuserglfm::deleteButtonClicked()
{
    const QString name = m_ui->deleteNameBox->text();
    const QString refusal = Operators::DeleteRefusal(name);
    if (!refusal.isEmpty()) {
        Msg::Info(refusal);
        return;
    }
    if (Msg::Confirm(Operators::DeleteQuestion(name))) {
        Msg::Info(Operators::DeleteUser(name).message);
        // The name is gone: neither page may act on it any more.
        m_ui->deleteNameBox->clear();
        m_ui->resetNameBox->clear();
    }
    fillUserList();
}

void Tuserglfm::fillUserList()
{
    // Refilling must not copy a name into the pages by itself.
    const QSignalBlocker blocker(m_ui->userList);
    m_ui->userList->clear();
    m_ui->userList->addItems(Operators::UserNames());
}

void Tuserglfm::closeEvent(QCloseEvent *event)
{
    // Not QDialog::closeEvent, which would reject() and only hide the window.
    QWidget::closeEvent(event);
}

void Tuserglfm::reject()
{
    close();
}

void Tuserglfm::keyPressEvent(QKeyEvent *event)
{
    // Enter acts only where this window gives it a meaning (or on a focused button),
    // never on some default button of the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}
