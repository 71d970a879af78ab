#include "operators/login.h"
#include "ui_login.h"

#include "components/inputs.h"
#include "components/keyfilter.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "shell/MAIN.h"
#include "shell/maker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QStandardPaths>

Tloginfm *loginfm = nullptr;

Tloginfm::Tloginfm(QWidget *parent) : QDialog(parent), m_ui(new Ui::Tloginfm)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setModal(true);
    m_ui->hintLabel->setText(QStringLiteral("初始登陆密码：") + Tdmfm::DefaultPassword());
    m_ui->hintLabel->setStyleSheet(QStringLiteral("color: red;"));
    KeyFilter::Install(m_ui->passwordBox, KeyFilter::LettersDigits());
    m_ui->passwordBox->installEventFilter(this);
    m_ui->userCaption->setBuddy(m_ui->userBox);
    m_ui->passwordCaption->setBuddy(m_ui->passwordBox);
    m_ui->userBox->installEventFilter(this);
    m_ui->userBox->lineEdit()->installEventFilter(this);
    connect(m_ui->userBox, &QComboBox::activated, this, [this] { m_ui->passwordBox->setFocus(); });
    connect(m_ui->loginButton, &QPushButton::clicked, this, &Tloginfm::loginButtonClicked);
}

Tloginfm::~Tloginfm() = default;

QString Tloginfm::OperatorName() const
{
    return m_ui->userBox->currentText();
}

QString Tloginfm::ShortcutPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))
        .filePath(Maker::ProductTitle() + QStringLiteral(".desktop"));
}

void Tloginfm::writeShortcut()
{
    // A convenience only: any failure is ignored.
    const QString program = QCoreApplication::applicationFilePath();
    const QString folder = QCoreApplication::applicationDirPath();
    QDir().mkpath(QFileInfo(ShortcutPath()).path());
    QSaveFile file(ShortcutPath());
    if (!file.open(QIODevice::WriteOnly))
        return;
    const QString entry =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\n"
                       "Comment=%1\nExec=\"%2\"\nPath=%3\nIcon=%4\n"
                       "Terminal=false\n")
            .arg(Maker::ProductTitle(), program, folder, QStringLiteral("accessories-calculator"));
    file.write(entry.toUtf8());
    if (file.commit())
        QFile::setPermissions(ShortcutPath(),
                              QFile::permissions(ShortcutPath()) | QFileDevice::ExeOwner);
}

void Tloginfm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // At a hand-over the window comes up again: the last cashier's password is not kept.
    m_ui->passwordBox->clear();
    writeShortcut();
    FillComboDistinct(*dmfm->ADOQuery1, QStringLiteral("username"), QStringLiteral("userdb"),
                      m_ui->userBox);
    m_ui->userBox->setFocus();
    if (m_ui->userBox->count() > 0)
        m_ui->userBox->setCurrentIndex(0);
}

bool Tloginfm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == m_ui->passwordBox) {
        if (enter) {
            // Enter moves on to the login button; only a second Enter logs in.
            m_ui->loginButton->setFocus();
            return true;
        }
        return false;
    }
    if ((watched == m_ui->userBox || watched == m_ui->userBox->lineEdit()) && enter) {
        m_ui->passwordBox->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tloginfm::loginButtonClicked()
{
    const QString name = OperatorName();
    const QString password = TrimControl(m_ui->passwordBox->text());
    if (!RequireComboText(m_ui->userBox, QStringLiteral("必须选择用户！")) ||
        !RequireEditText(m_ui->passwordBox, QStringLiteral("必须输入密码！")))
        return;
    Dataset &query = *dmfm->ADOQuery1;
    ReopenQuery(query, QStringLiteral("select username from userdb where passwd=? and username=?"),
                {password, name});
    if (query.RecordCount() == 1) {
        m_loginResult = 1;
        accept();
        return;
    }
    Msg::Info(QStringLiteral("密码不正确！请重新输入！"));
    m_ui->passwordBox->clear();
    m_ui->passwordBox->setFocus();
}

void Tloginfm::keyPressEvent(QKeyEvent *event)
{
    // Esc does not close the window: only its close button leaves the login.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tloginfm::done(int result)
{
    // Only this login's success starts a session; a success whose session could not be
    // started does not count for the next try or for closing the window.
    const bool loggedIn = result == QDialog::Accepted && m_loginResult == 1;
    m_loginResult = 0;
    QDialog::done(result);
    dmfm->ADOQuery1->Close();
    MainForm->RefreshCartView();
    if (!loggedIn) {
        MainForm->close(); // no session: the program ends
        return;
    }
    MainForm->BeginSession(OperatorName());
}
