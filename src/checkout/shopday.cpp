// The main window's commands of a shop's day: hold and recall the cart, returns, and the
// shift report with the hand-over to the next cashier.

#include "shell/MAIN.h"

#include "checkout/heldwindow.h"
#include "checkout/returnwindow.h"
#include "checkout/shiftwindow.h"
#include "checkout/till.h"
#include "components/floatingpanel.h"
#include "components/messages.h"

#include <QAction>
#include <QDateTime>
#include <QMenu>
#include <QToolButton>

void TMainForm::buildShopDayCommands()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("shopDayMenu"));
    const auto command = [&](const char *name, const QString &text, const QKeySequence &key,
                             auto handler) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        menu->addAction(action);
        addAction(action);
        return action;
    };
    command("holdAction", QStringLiteral("挂单"), QKeySequence(Qt::CTRL | Qt::Key_G),
            [this] { HoldCart(); });
    command("recallAction", QStringLiteral("取单"), QKeySequence(Qt::CTRL | Qt::Key_Q),
            [this] { RecallHeldSale(); });
    menu->addSeparator();
    command("returnAction", QStringLiteral("退货"), QKeySequence(Qt::CTRL | Qt::Key_T),
            [this] { OpenReturns(); });
    command("shiftAction", QStringLiteral("交班"), QKeySequence(Qt::CTRL | Qt::Key_J),
            [this] { OpenShiftReport(); });

    // A tool-bar command beside settlement opens the menu, as the settings command does.
    QToolButton *button = addToolBarMenu(QStringLiteral("holdButton"), QStringLiteral("挂单取单"),
                                         QStringLiteral(":/icons/hold.svg"), menu);
    button->setToolTip(QStringLiteral("挂单 Ctrl+G，取单 Ctrl+Q，退货 Ctrl+T，交班 Ctrl+J"));
}

void TMainForm::HoldCart()
{
    if (m_sessionId == 0)
        return;
    const std::optional<Till::HeldSale> held = m_till->Hold(QDateTime::currentDateTime());
    if (!held) {
        Msg::Info(QStringLiteral("当前没有商品，不能挂单！"));
        focusCodeBox();
        return;
    }
    RefreshCartView();
    UpdateCartTotals();
    m_lineEditorPanel->hide();
    Msg::Info(QStringLiteral("已挂单，单号：%1").arg(held->number));
    focusCodeBox();
}

void TMainForm::RecallHeldSale()
{
    if (m_sessionId == 0)
        return;
    if (m_till->Totals().lines > 0) {
        Msg::Info(QStringLiteral("当前销售还有商品，请先结账或挂单后再取单！"));
        focusCodeBox();
        return;
    }
    THeldSalesDialog dialog(*m_till, this);
    if (!dialog.Reload()) {
        Msg::Info(QStringLiteral("没有挂起的销售！"));
        return;
    }
    if (dialog.exec() == QDialog::Accepted) {
        RefreshCartView();
        UpdateCartTotals();
    }
    focusCodeBox();
}

void TMainForm::OpenReturns(const QString &saleNumber)
{
    if (m_sessionId == 0)
        return;
    m_settlementPanel->hide();
    TReturnDialog dialog(*m_till, this);
    connect(&dialog, &TReturnDialog::Returned, this,
            [this](const ReceiptData &receipt, bool print) {
                showSaleNumber();
                SaveSaleCounter();
                if (print)
                    PrintSaleReceipt(receipt);
            });
    if (!saleNumber.isEmpty())
        dialog.LoadSale(saleNumber);
    dialog.exec();
    focusCodeBox();
}

void TMainForm::OpenShiftReport(qint64 session)
{
    if (m_sessionId == 0)
        return;
    // A report asked for by its session (from the sales records) only shows it; the
    // shift is handed over from the report of the session in progress.
    TShiftReportDialog dialog(session ? 0 : m_sessionId, this);
    dialog.ShowSession(session ? session : m_sessionId);
    connect(&dialog, &TShiftReportDialog::EndShiftRequested, this, [this, &dialog] {
        // The sale in progress belongs to this cashier: it is settled or held first.
        if (m_till->Totals().lines > 0) {
            Msg::Info(QStringLiteral("当前销售还有商品，请先结账或挂单后再交班！"));
            return;
        }
        dialog.accept();
        EndSession();
    });
    dialog.exec();
}
