// Settlement of the cart: the panel, its keys, and the adapters onto the till that
// check and store the sale, print the receipt and show the next sale number.

#include "shell/MAIN.h"
#include "ui_LineEditor.h"
#include "ui_MAIN.h"
#include "ui_Settlement.h"

#include "checkout/receipt.h"
#include "checkout/till.h"
#include "components/floatingpanel.h"
#include "components/keyfilter.h"
#include "components/messages.h"
#include "data/mylib.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QTimer>

void TMainForm::buildSettlement()
{
    m_settlementUi->setupUi(m_settlementPanel);
    Ui::SettlementForm *st = m_settlementUi.get();
    QFont caption(QStringLiteral("宋体"));
    caption.setPixelSize(48);
    caption.setBold(true);
    for (QWidget *w : std::initializer_list<QWidget *>{
             st->totalCaption, st->totalValue, st->receivedCaption, st->receivedValue,
             st->cashCaption, st->cashBox, st->changeCaption, st->changeLabel})
        w->setFont(caption);
    QFont control(QStringLiteral("宋体"));
    control.setPixelSize(16);
    for (QWidget *w : std::initializer_list<QWidget *>{st->printCheck, st->confirmButton,
                                                       st->cancelButton, st->settlementTitle})
        w->setFont(control);
    KeyFilter::Install(st->cashBox, KeyFilter::Number());
    st->cashCaption->setBuddy(st->cashBox);
    // Esc cancels; a click anywhere in the panel gives the keyboard back to the cash box.
    m_settlementPanel->installEventFilter(this);
    for (QWidget *w : m_settlementPanel->findChildren<QWidget *>())
        w->installEventFilter(this);
    connect(st->cashBox, &QLineEdit::textChanged, this, &TMainForm::ComputeChange);
    connect(st->cashBox, &QLineEdit::returnPressed, st->confirmButton,
            [st] { st->confirmButton->setFocus(); });
    connect(st->confirmButton, &QPushButton::clicked, this, &TMainForm::ConfirmSettlement);
    connect(st->cancelButton, &QPushButton::clicked, this, &TMainForm::CancelSettlement);
    connect(st->settlementCloseButton, &QToolButton::clicked, m_settlementPanel, &QWidget::hide);
    st->totalValue->setText(QStringLiteral("0.00"));
    st->receivedValue->setText(QStringLiteral("0.00"));
    st->changeLabel->setText(QStringLiteral("0.00"));

    m_changeTimer = new QTimer(this);
    m_changeTimer->setInterval(200);
    connect(m_changeTimer, &QTimer::timeout, this, &TMainForm::ComputeChange);
    m_changeTimer->start();
}

QString TMainForm::OperatorName()
{
    return MainForm ? MainForm->m_till->Operator() : QString();
}

QString TMainForm::SaleNumber() const
{
    return TrimControl(m_till->SaleNumber());
}

QString TMainForm::SaleCounter() const
{
    return m_till->CounterText();
}

void TMainForm::OpenSettlement()
{
    m_settlementPanel->show();
    m_settlementPanel->raise();
    FetchTotals();
    m_settlementUi->cashBox->setFocus();
    m_settlementUi->cashBox->selectAll();
}

void TMainForm::FetchTotals()
{
    const QString total = m_till->Totals().AmountText();
    ParseNumber(total, &m_due);
    m_settlementUi->totalValue->setText(total);
    m_settlementUi->receivedValue->setText(total);
    m_settlementUi->cashBox->setText(total);
}

void TMainForm::ComputeChange()
{
    const QString cash = m_settlementUi->cashBox->text();
    // An empty cash box leaves the change as it was; a text that is not a number the
    // till takes shows no change at all.
    if (cash.isEmpty())
        return;
    const QString change = Till::ChangeText(cash, m_due);
    if (m_settlementUi->changeLabel->text() != change)
        m_settlementUi->changeLabel->setText(change);
}

void TMainForm::CancelSettlement()
{
    m_settlementPanel->hide();
    m_lineEditorUi->modifyButton->setEnabled(false);
    m_ui->codeBox->setFocus();
}

void TMainForm::ConfirmSettlement()
{
    Ui::SettlementForm *st = m_settlementUi.get();
    const Till::Settlement settled = m_till->Settle(st->cashBox->text());
    switch (settled.refusal) {
    case Till::Refusal::None:
        break;
    case Till::Refusal::EmptyCart:
        m_settlementPanel->hide();
        Msg::Info(QStringLiteral("请先进行商品销售！"));
        m_ui->codeBox->setFocus();
        return;
    case Till::Refusal::ZeroTotal:
        m_settlementPanel->hide();
        m_ui->codeBox->setFocus();
        return;
    case Till::Refusal::NoCash:
    case Till::Refusal::BadCash:
    case Till::Refusal::ShortCash:
        Msg::Info(settled.refusal == Till::Refusal::NoCash ? QStringLiteral("请输入现金金额！")
                  : settled.refusal == Till::Refusal::BadCash ? QStringLiteral("请输入正确的数字！")
                                                              : QStringLiteral("现金金额不足！"));
        st->cashBox->setFocus();
        return;
    }
    m_ui->saleNumberLabel->setText(m_till->SaleNumber());
    SaveSaleCounter();
    if (st->printCheck->isChecked())
        PrintSaleReceipt(settled.receipt);
    ClearCart();
    st->cashBox->clear();
}

void TMainForm::PrintSaleReceipt(const ReceiptData &receipt)
{
    QString error;
    if (!PrintReceipt(receipt, &error))
        Msg::Error(QStringLiteral("小票打印失败，销售已保存。"));
}

void TMainForm::ReprintLastReceipt()
{
    const std::optional<ReceiptData> receipt = m_till->LastSaleReceipt();
    if (!receipt) {
        Msg::Info(QStringLiteral("还没有已结账的销售，没有可重打的小票！"));
        return;
    }
    QString error;
    if (!PrintReceipt(*receipt, &error))
        Msg::Error(QStringLiteral("小票打印失败：") + error);
}

QString TMainForm::FormatSaleNumber(const QString &operatorName, const QDate &date, qint64 counter)
{
    return Till::FormatSaleNumber(operatorName, date, counter);
}

void TMainForm::SaveSaleCounter()
{
    Settings::WriteSaleCounter({m_till->SaleNumber(), m_till->CounterText()});
}

void TMainForm::restoreSaleCounter()
{
    const Settings::SaleCounter stored = Settings::ReadSaleCounter();
    m_till->RestoreCounter(stored.number, stored.counter);
    m_ui->saleNumberLabel->setText(m_till->SaleNumber());
}
