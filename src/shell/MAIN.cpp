#include "shell/MAIN.h"
#include "ui_LineEditor.h"
#include "ui_MAIN.h"
#include "ui_Settlement.h"

#include "catalogue/Unit1.h"
#include "catalogue/ys.h"
#include "checkout/till.h"
#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "components/keyfilter.h"
#include "components/messages.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "maintenance/About.h"
#include "maintenance/repairdb.h"
#include "operators/changepass.h"
#include "operators/login.h"
#include "operators/usergl.h"
#include "sales/Unit2.h"
#include "sales/Unit4.h"
#include "shell/maker.h"
#include "shell/settings.h"
#include "shell/skins/skins.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

TMainForm *MainForm = nullptr;

namespace {

QFont pixelFont(const QString &family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// User administration, password change and backup: windows created on demand. The backup
// window holds the database closed, so the main window stays hidden until it closes.
void connectOperatorCommands(TMainForm *form, Ui::TMainForm *ui)
{
    QObject::connect(ui->userAdminAction, &QAction::triggered, form,
                     [] { ShowOrCreateWindow<Tuserglfm>(); });
    QObject::connect(ui->changePasswordAction, &QAction::triggered, form,
                     [] { ShowOrCreateWindow<Tchangepassfm>(); });
    QObject::connect(ui->backupButton, &QToolButton::clicked, form, [form] {
        ShowOrCreateWindow<Trepair>();
        form->hide();
    });
}

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent), m_ui(new Ui::TMainForm), m_lineEditorUi(new Ui::LineEditorForm),
      m_settlementUi(new Ui::SettlementForm), m_till(new Till)
{
    // Nothing here may touch the database: the data module is created after this window.
    m_ui->setupUi(this);
    const QString song = QStringLiteral("宋体");
    m_ui->bannerLabel->setFont(pixelFont(QStringLiteral("华文中宋"), 35, true));
    for (QWidget *w : {static_cast<QWidget *>(m_ui->codeCaption),
                       static_cast<QWidget *>(m_ui->saleNumberCaption),
                       static_cast<QWidget *>(m_ui->saleNumberLabel),
                       static_cast<QWidget *>(m_ui->lookupButton)})
        w->setFont(pixelFont(song, 14));
    m_ui->codeBox->setFont(pixelFont(song, 16));
    m_ui->saleNumberLabel->setFont(pixelFont(song, 16, true));
    m_ui->totalLabel->setFont(pixelFont(song, 56, true));
    m_ui->quantityLabel->setFont(pixelFont(song, 29, true));

    buildMenus();
    buildStatusBar();
    buildShopDayCommands();

    m_lineEditorPanel = new FloatingPanel(m_ui->centralWidget);
    m_lineEditorPanel->setObjectName(QStringLiteral("lineEditorPanel"));
    m_lineEditorPanel->setFixedSize(233, 208);
    m_settlementPanel = new FloatingPanel(m_ui->centralWidget);
    m_settlementPanel->setObjectName(QStringLiteral("settlementPanel"));
    m_settlementPanel->setFixedSize(491, 399);
    buildCheckout();

    connectOperatorCommands(this, m_ui.get());

    connect(m_ui->upgradeAction, &QAction::triggered, this, &TMainForm::upgradeActionTriggered);
    connect(m_ui->websiteAction, &QAction::triggered, this, &TMainForm::websiteActionTriggered);
    connect(m_ui->aboutAction, &QAction::triggered, this, &TMainForm::aboutActionTriggered);
    connect(m_ui->salesButton, &QToolButton::clicked, this, &TMainForm::salesButtonClicked);
    connect(m_ui->slipButton, &QToolButton::clicked, this, [] {
        if (Form2)
            Form2->PreviewSlip();
    });
    connect(m_ui->productsButton, &QToolButton::clicked, this, [] { Form1->exec(); });
    connect(m_ui->lookupButton, &QPushButton::clicked, this, [] { ysfm->Open(); });
    const QList<QAction *> skins = {m_ui->skin0Action, m_ui->skin1Action, m_ui->skin2Action,
                                    m_ui->skin3Action, m_ui->skin4Action};
    for (int skin = 0; skin < skins.size(); ++skin)
        connect(skins[skin], &QAction::triggered, this, [this, skin] { ChooseSkin(skin); });

    m_ui->saleNumberLabel->setText(Settings::ReadSaleCounter().number);

    ApplySkin(-1);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm() = default;

void TMainForm::buildCheckout()
{
    buildCartGrid();
    buildLineEditor();
    buildSettlement();
    m_lineEditorPanel->move(560, 110);
    m_settlementPanel->move(245, 60);
    KeyFilter::Install(m_ui->codeBox, KeyFilter::LettersDigits());
    m_ui->codeCaption->setBuddy(m_ui->codeBox);
    connect(m_ui->codeBox, &QLineEdit::returnPressed, this, &TMainForm::codeBoxReturnPressed);
    connect(m_ui->settleButton, &QToolButton::clicked, this, &TMainForm::OpenSettlement);
}

void TMainForm::buildMenus()
{
    m_settingsMenu = new QMenu(this);
    m_settingsMenu->setObjectName(QStringLiteral("settingsMenu"));
    m_settingsMenu->addAction(m_ui->changePasswordAction);
    m_settingsMenu->addAction(m_ui->userAdminAction);
    m_settingsMenu->addSeparator();
    // The skin in force carries the menu's check mark.
    auto *skinGroup = new QActionGroup(this);
    skinGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction *action : {m_ui->skin0Action, m_ui->skin1Action, m_ui->skin2Action,
                            m_ui->skin3Action, m_ui->skin4Action}) {
        action->setCheckable(true);
        skinGroup->addAction(action);
        m_settingsMenu->addAction(action);
    }
    m_settingsMenu->addSeparator();
    auto *reprint = new QAction(QStringLiteral("重打小票"), this);
    reprint->setObjectName(QStringLiteral("reprintAction"));
    reprint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    reprint->setShortcutContext(Qt::WindowShortcut);
    connect(reprint, &QAction::triggered, this, &TMainForm::ReprintLastReceipt);
    m_settingsMenu->addAction(reprint);
    addAction(reprint);
    m_ui->settingsButton->setMenu(m_settingsMenu);
    m_ui->settingsButton->setPopupMode(QToolButton::InstantPopup);

    m_supportMenu = new QMenu(this);
    m_supportMenu->setObjectName(QStringLiteral("supportMenu"));
    m_supportMenu->addActions({m_ui->upgradeAction, m_ui->websiteAction, m_ui->aboutAction});
    m_ui->supportButton->setMenu(m_supportMenu);
    m_ui->supportButton->setPopupMode(QToolButton::InstantPopup);
}

QToolButton *TMainForm::addToolBarMenu(const QString &name, const QString &text,
                                       const QString &icon, QMenu *menu)
{
    const QToolButton *model = m_ui->settleButton;
    auto *button = new QToolButton(m_ui->toolBar);
    button->setObjectName(name);
    button->setText(text);
    button->setIcon(QIcon(icon));
    button->setIconSize(model->iconSize());
    button->setFixedSize(model->size());
    button->setFont(model->font());
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    m_ui->toolBarLayout->insertWidget(m_ui->toolBarLayout->indexOf(m_ui->settleButton) + 1, button);
    return button;
}

void TMainForm::focusCodeBox()
{
    m_ui->codeBox->setFocus();
}

void TMainForm::showSaleNumber()
{
    m_ui->saleNumberLabel->setText(m_till->SaleNumber());
}

void TMainForm::buildStatusBar()
{
    // The first panel gives way so that the maker's address fits in the designed width.
    const QList<QPair<int, QString>> panels = {{180, QString()},
                                               {300, QStringLiteral("操作员：")},
                                               {200, QStringLiteral("今天：")},
                                               {300, Maker::WebAddress()}};
    for (int i = 0; i < panels.size(); ++i) {
        auto *label = new QLabel(panels[i].second, this);
        label->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        label->setFixedWidth(panels[i].first);
        label->setAlignment(i == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        m_ui->statusBar->addWidget(label);
        m_statusPanels << label;
    }
    m_ui->statusBar->setFixedHeight(24);
}

QLabel *TMainForm::StatusPanel(int index) const
{
    return m_statusPanels.value(index);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Coming back from minimised (a show by the window system), the line being edited and
    // the sales records' lists stay as they were; the date and the rest are brought up to
    // date as at every show.
    const bool restored = event->spontaneous();
    if (xstj && !restored)
        xstj->LoadCurrentMonth();
    if (!m_ui->cartGrid->dataset())
        m_ui->cartGrid->SetDataset(dmfm->ADOQuery15);
    restoreSaleCounter();
    if (!restored)
        m_lineEditorPanel->hide();
    m_till->SetSaleDate(QDate::currentDate());
    if (const auto stored = Settings::UserValue(QStringLiteral("skin"))) {
        bool ok = false;
        const int skin = stored->toInt(&ok);
        if (ok && *stored == QString::number(skin) && skin >= 0 && skin < SkinCount())
            ApplySkin(skin);
    }
    StatusPanel(2)->setText(QStringLiteral("今天：") + DateText(QDate::currentDate()));
    for (QWidget *w : findChildren<QWidget *>())
        if (!w->toolTip().isEmpty())
            w->setToolTipDuration(2000);
    // A desktop without a window manager never activates the window; the login must
    // still come up over it.
    requestLogin();
}

void TMainForm::salesButtonClicked()
{
    xstj->exec();
    m_lineEditorPanel->hide();
    m_settlementPanel->hide();
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Nobody works without logging in: the first time the window is active with no
    // session, the login window covers it. It is opened after the activation has been
    // handled, so the window system is not re-entered.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        requestLogin();
}

void TMainForm::requestLogin()
{
    if (m_sessionId != 0 || !loginfm || loginfm->isVisible())
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_sessionId == 0 && isVisible() && !loginfm->isVisible())
            loginfm->open();
    });
}

QDate TMainForm::SaleDate() const
{
    return m_till->SaleDate();
}

void TMainForm::BeginSession(const QString &operatorName)
{
    // The log row comes first: if the engine refuses it, nothing of the session exists
    // and the login is asked for again.
    auto askAgain = qScopeGuard([this] { requestLogin(); });
    const qint64 id =
        Db::InsertRow(QStringLiteral("rz"),
                      {{QStringLiteral("username"), operatorName},
                       {QStringLiteral("btime"), DateTimeText(QDateTime::currentDateTime())}});
    askAgain.dismiss();
    m_sessionId = id;
    m_till->SetOperator(operatorName);
    m_till->SetSession(id);
    UpdateCartTotals();
    StatusPanel(1)->setText(QStringLiteral("操作员：") + operatorName);
    m_ui->codeBox->setFocus();
    applyRestrictions(operatorName != Tdmfm::AdminName());
}

void TMainForm::EndSession()
{
    if (m_sessionId == 0)
        return;
    writeLogout();
    m_sessionId = 0;
    m_till->SetOperator(QString());
    m_till->SetSession(0);
    StatusPanel(1)->setText(QStringLiteral("操作员："));
    m_lineEditorPanel->hide();
    m_settlementPanel->hide();
    SaveSaleCounter();
    requestLogin();
}

void TMainForm::applyRestrictions(bool restricted)
{
    // Rights are fixed by the name at login, by hiding the administrator's commands; the
    // next login of the run sets them again.
    m_ui->productsButton->setVisible(!restricted);
    m_ui->changePasswordAction->setVisible(!restricted);
    m_ui->userAdminAction->setVisible(!restricted);
}

void TMainForm::writeLogout()
{
    Db::Run(QStringLiteral("update rz set jtime=? where id=?"),
            {DateTimeText(QDateTime::currentDateTime()), m_sessionId});
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (m_sessionId != 0)
        writeLogout();
    SaveSaleCounter();
    event->accept();
    emit Closed();
}

void TMainForm::ApplySkin(int skin)
{
    qApp->setStyleSheet(Skins::Sheet(skin));
    m_skin = skin;
    markSkin();
}

void TMainForm::markSkin()
{
    const QList<QAction *> skins = {m_ui->skin0Action, m_ui->skin1Action, m_ui->skin2Action,
                                    m_ui->skin3Action, m_ui->skin4Action};
    for (int i = 0; i < skins.size(); ++i)
        skins[i]->setChecked(i == m_skin);
}

void TMainForm::ChooseSkin(int skin)
{
    ApplySkin(skin);
    Settings::SetUserValue(QStringLiteral("skin"), QString::number(skin));
}

void TMainForm::upgradeActionTriggered()
{
    Msg::Info(QStringLiteral("当前版本：%1\n最新版本与升级说明请访问：%2")
                  .arg(Maker::Version(), Maker::WebAddress()));
}

void TMainForm::websiteActionTriggered()
{
    Msg::OpenUrl(QUrl(Maker::WebAddress()));
}

void TMainForm::aboutActionTriggered()
{
    AboutBox->exec();
}

void TMainForm::AddProductFromLookup(const QString &code)
{
    m_ui->codeBox->setText(code);
    AddProductFromLookup();
}
