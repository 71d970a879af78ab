#include "maintenance/repairdb.h"
#include "ui_repairdb.h"

#include "components/messages.h"
#include "data/backup.h"
#include "data/db.h"
#include "data/dm.h"
#include "shell/MAIN.h"
#include "shell/settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>

namespace {

QString savedPathKey()
{
    return QStringLiteral("save");
}

QString replaceQuestion()
{
    return QStringLiteral("文件已存在，是否覆盖？");
}

QString withReason(const QString &message, const QString &reason)
{
    return reason.isEmpty() ? message : message + QLatin1Char('\n') + reason;
}

} // namespace

Trepair::Trepair(QWidget *parent) : QDialog(parent), m_ui(new Ui::Trepair)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont title = m_ui->titleStrip->font();
    title.setPixelSize(22);
    title.setBold(true);
    m_ui->titleStrip->setFont(title);
    m_ui->defaultButton->setStyleSheet(
        QStringLiteral("QPushButton { color: #0645ad; text-decoration: underline; border: none; "
                       "background: transparent; padding: 0 4px; }"));
    // The panels sit on the window's own background, whatever the skin paints there.
    m_ui->scrollArea->viewport()->setAutoFillBackground(false);
    m_ui->scrollContents->setAutoFillBackground(false);
    // The visible area ends with the backup panel; the restore panel is scrolled to.
    setFixedSize(width(), m_ui->titleStrip->maximumHeight() + m_ui->backupPanel->maximumHeight());

    m_ui->backupBox->setText(QDir::toNativeSeparators(Backup::DefaultBackupPath()));
    m_ui->restoreBox->setText(Backup::DefaultRestoreSource());
    connect(m_ui->backupBox, &QLineEdit::textChanged, this,
            [](const QString &text) { Settings::SetUserValue(savedPathKey(), text); });
    connect(m_ui->defaultButton, &QPushButton::clicked, this, &Trepair::defaultButtonClicked);
    connect(m_ui->backupButton, &QPushButton::clicked, this, &Trepair::backupButtonClicked);
    connect(m_ui->openButton, &QPushButton::clicked, this, &Trepair::openButtonClicked);
    connect(m_ui->restoreButton, &QPushButton::clicked, this, &Trepair::restoreButtonClicked);

    // The file is copied and replaced while nobody holds it open.
    dmfm->CloseConnection();
    if (const auto saved = Settings::UserValue(savedPathKey()); saved && !saved->isEmpty())
        m_ui->backupBox->setText(*saved);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    m_ui->backupBox->setFocus();
}

Trepair::~Trepair() = default;

void Trepair::defaultButtonClicked()
{
    m_ui->backupBox->setText(QDir::toNativeSeparators(Backup::DefaultBackupPath()));
}

bool Trepair::otherWindowsClosed()
{
    for (const QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget == this || widget == MainForm || !widget->isVisible())
            continue;
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Window || type == Qt::Dialog) {
            Msg::Info(QStringLiteral("请将所有录入、查询窗口关闭！"));
            return false;
        }
    }
    return true;
}

void Trepair::backupButtonClicked()
{
    if (!otherWindowsClosed())
        return;
    const QString path = m_ui->backupBox->text();
    const QString failed = QStringLiteral("数据库备份失败！");
    if (path.trimmed().isEmpty()) {
        Msg::Info(withReason(failed, QStringLiteral("请输入备份文件的位置。")));
        return;
    }
    const QString target = Backup::BackupTarget(QDir::fromNativeSeparators(path), dmfm->Path());
    if (QFileInfo::exists(target) && !Msg::Confirm(replaceQuestion())) {
        Msg::Info(failed);
        return;
    }
    const Backup::Result result = Backup::WriteBackup(dmfm->Path(), target);
    Msg::Info(result.ok ? QStringLiteral("数据库备份成功！") : withReason(failed, result.error));
}

void Trepair::openButtonClicked()
{
    // A cancelled choice empties the box, as the box always takes the dialog's answer.
    m_ui->restoreBox->setText(QDir::toNativeSeparators(
        Msg::OpenFileName(this, QStringLiteral("打开备份文件"), QString(), QString())));
}

void Trepair::restoreButtonClicked()
{
    if (!otherWindowsClosed())
        return;
    const QString source = QDir::fromNativeSeparators(m_ui->restoreBox->text());
    if (source.isEmpty() || !QFileInfo(source).isFile()) {
        Msg::Info(QStringLiteral("备份数据库没找到!"));
        return;
    }
    if (!Backup::IsValidBackup(source)) {
        Msg::Info(QStringLiteral("所选文件不是有效的数据库备份！"));
        return;
    }
    const QString failed = QStringLiteral("数据库恢复失败！");
    if (QFileInfo::exists(dmfm->Path()) && !Msg::Confirm(replaceQuestion())) {
        Msg::Info(failed);
        return;
    }
    const Backup::Result result = Backup::Restore(source, dmfm->Path());
    Msg::Info(result.ok ? QStringLiteral("数据库恢复成功！") : withReason(failed, result.error));
}

void Trepair::closeEvent(QCloseEvent *event)
{
    try {
        dmfm->OpenConnection();
    } catch (const DbError &error) {
        // Without a usable database the program cannot go on; the window stays open so
        // that a backup (or the kept data.db.bak) can be restored.
        Msg::Error(error.Message() + QStringLiteral("\n数据库无法打开，请恢复一个有效的备份。"));
        event->ignore();
        return;
    }
    MainForm->RefreshCartView();
    MainForm->UpdateCartTotals();
    MainForm->show();
    // Not QDialog::closeEvent, which would reject() and only hide the window.
    QWidget::closeEvent(event);
}

void Trepair::reject()
{
    close();
}

void Trepair::keyPressEvent(QKeyEvent *event)
{
    // Enter acts only where this window gives it a meaning (or on a focused button),
    // never on some default button of the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}
