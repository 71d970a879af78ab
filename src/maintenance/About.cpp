#include "About.h"
#include "ui_About.h"

#include "components/messages.h"
#include "shell/maker.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QUrl>

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TAboutBox>())
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());

    m_ui->backgroundLabel->setPixmap(QPixmap(QStringLiteral(":/icons/about.svg")));
    m_ui->iconLabel->setPixmap(
        QIcon(QStringLiteral(":/icons/app.svg")).pixmap(m_ui->iconLabel->size()));
    m_ui->titleLabel->setText(QStringLiteral("《") + Maker::ProductTitle() + QStringLiteral("》"));
    m_ui->versionLabel->setText(QStringLiteral("版本 ") + Maker::Version());
    m_ui->emailLabel->setText(Maker::Email());
    m_ui->webLabel->setText(Maker::WebAddress());
    m_ui->makerLabel->setText(Maker::Name());

    for (QLabel *address : {m_ui->emailLabel, m_ui->webLabel}) {
        address->setCursor(Qt::PointingHandCursor);
        address->setToolTip(Maker::Name());
        address->installEventFilter(this);
    }
    connect(m_ui->okButton, &QPushButton::clicked, this, &TAboutBox::okButtonClicked);

    // Centred on the desktop rather than over whichever window opened it.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }
}

TAboutBox::~TAboutBox() = default;

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = qobject_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton && label &&
            label->rect().contains(mouse->position().toPoint())) {
            if (label == m_ui->emailLabel) {
                emailLabelClicked();
            } else if (label == m_ui->webLabel) {
                webLabelClicked();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::emailLabelClicked()
{
    Msg::OpenUrl(QUrl(QStringLiteral("mailto:") + m_ui->emailLabel->text()));
}

void TAboutBox::webLabelClicked()
{
    Msg::OpenUrl(QUrl(m_ui->webLabel->text()));
}

void TAboutBox::okButtonClicked()
{
    accept();
}
