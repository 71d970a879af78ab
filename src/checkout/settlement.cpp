// Settlement of the cart: the panel, the checks, the archive of the sale in one
// transaction, the receipt and the sale number.

#include "shell/MAIN.h"
#include "ui_LineEditor.h"
#include "ui_MAIN.h"
#include "ui_Settlement.h"

#include "checkout/receipt.h"
#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "components/messages.h"
#include "data/appstate.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "operators/login.h"
#include "shell/settings.h"

#include <QComboBox>
#include <QTimer>

namespace {

const QString kNumberKey = QStringLiteral("sale_number");
const QString kCounterKey = QStringLiteral("sale_counter");

// A counter text as stored; -1 when it is not a whole non-negative number.
qint64 counterValue(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}

} // namespace

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
    st->cashBox->installEventFilter(this);
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
    return loginfm ? loginfm->OperatorName() : QString();
}

QString TMainForm::SaleNumber() const
{
    return TrimControl(m_ui->saleNumberLabel->text());
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
    const QString total = m_ui->cartGrid->FooterText(QStringLiteral("6"));
    m_settlementUi->totalValue->setText(total);
    m_settlementUi->receivedValue->setText(total);
    m_settlementUi->cashBox->setText(total);
}

void TMainForm::ComputeChange()
{
    double cash = 0;
    double received = 0;
    // An empty or unfinished cash text leaves the change as it was.
    if (!ParseNumber(m_settlementUi->cashBox->text(), &cash) ||
        !ParseNumber(m_settlementUi->receivedValue->text(), &received))
        return;
    const QString change = MoneyText(cash - received);
    if (m_settlementUi->changeLabel->text() != change)
        m_settlementUi->changeLabel->setText(change);
}

void TMainForm::CancelSettlement()
{
    m_settlementPanel->hide();
    m_lineEditorUi->modifyButton->setEnabled(false);
}

void TMainForm::ConfirmSettlement()
{
    Ui::SettlementForm *st = m_settlementUi.get();
    Dataset &cart = *dmfm->ADOQuery15;
    ReopenQuery(cart, QStringLiteral("select * from data order by id"));
    if (cart.RecordCount() == 0) {
        m_settlementPanel->hide();
        Msg::Info(QStringLiteral("请先进行商品销售！"));
        m_ui->codeBox->setFocus();
        return;
    }
    if (st->totalValue->text() == QStringLiteral("0.00")) {
        m_settlementPanel->hide();
        m_ui->codeBox->setFocus();
        return;
    }
    double cash = 0;
    if (st->cashBox->text().isEmpty() || !ParseNumber(st->cashBox->text(), &cash)) {
        Msg::Info(st->cashBox->text().isEmpty() ? QStringLiteral("请输入现金金额！")
                                                : QStringLiteral("请输入正确的数字！"));
        st->cashBox->setFocus();
        return;
    }
    ComputeChange();
    double change = 0;
    ParseNumber(st->changeLabel->text(), &change);
    if (change < 0) {
        Msg::Info(QStringLiteral("现金金额不足！"));
        st->cashBox->setFocus();
        return;
    }

    ReceiptData receipt;
    collectReceipt(&receipt);
    const QString saleNumber = SaleNumber();
    {
        // The archive rows, the summary, the next sale number and the emptied cart are
        // stored together or not at all.
        Db::Transaction transaction;
        archiveSale(saleNumber);
        writeSaleSummary(saleNumber);
        const Settings::SaleCounter next = advanceSaleNumber();
        ExecuteStatement(*dmfm->ADOQuery7, QStringLiteral("delete from data"));
        transaction.Commit();
        m_ui->saleNumberLabel->setText(next.number);
        m_saleCounter = next.counter;
    }
    SaveSaleCounter();

    if (st->printCheck->isChecked()) {
        QString error;
        if (!PrintReceipt(receipt, &error))
            Msg::Error(QStringLiteral("小票打印失败，销售已保存。"));
    }

    ClearCart();
    st->cashBox->clear();
}

void TMainForm::collectReceipt(ReceiptData *receipt) const
{
    const Dataset &cart = *dmfm->ADOQuery15;
    const Ui::SettlementForm *st = m_settlementUi.get();
    receipt->saleNumber = m_ui->saleNumberLabel->text();
    receipt->cashier = OperatorName();
    receipt->saleDate = DateText(m_saleDate);
    receipt->printTime = QTime::currentTime();
    receipt->total = st->totalValue->text();
    receipt->received = st->receivedValue->text();
    ParseNumber(st->cashBox->text(), &receipt->cash);
    ParseNumber(st->changeLabel->text(), &receipt->change);
    for (int row = 0; row < cart.RecordCount(); ++row)
        receipt->lines << ReceiptLine{cart.Value(row, QStringLiteral("a")).toString(),
                                      cart.Value(row, QStringLiteral("2")).toDouble(),
                                      cart.Value(row, QStringLiteral("6")).toDouble()};
}

void TMainForm::archiveSale(const QString &saleNumber)
{
    // Every line is archived under the number its summary row gets.
    ExecuteStatement(
        *dmfm->ADOQuery8,
        QStringLiteral("insert into data1 (a,b,c,d,h,i,z,\"1\",\"2\",\"3\",\"4\",\"5\","
                       "\"6\",\"7\",\"8\",day1) select a,b,c,d,?,i,z,\"1\",\"2\","
                       "\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",day1 from data order by id"),
        {saleNumber});
}

void TMainForm::writeSaleSummary(const QString &saleNumber)
{
    const Ui::SettlementForm *st = m_settlementUi.get();
    const auto number = [](const QString &text) {
        double value = 0;
        ParseNumber(text, &value);
        return value;
    };
    Db::InsertRow(QStringLiteral("data3"),
                  {{QStringLiteral("1"), number(st->totalValue->text())},
                   {QStringLiteral("2"), number(st->receivedValue->text())},
                   {QStringLiteral("3"), number(st->cashBox->text())},
                   {QStringLiteral("4"), number(st->changeLabel->text())},
                   {QStringLiteral("5"), m_ui->cartGrid->FooterValue(QStringLiteral("7"))},
                   {QStringLiteral("6"), 0.0},
                   {QStringLiteral("7"), 0.0},
                   {QStringLiteral("day1"), DateText(m_saleDate)},
                   {QStringLiteral("a"), saleNumber},
                   {QStringLiteral("b"), TrimControl(OperatorName())}});
}

QString TMainForm::FormatSaleNumber(const QString &operatorName, const QDate &date, qint64 counter)
{
    QByteArray prefix = PinyinInitials(ToGbk(TrimControl(operatorName))).left(3);
    for (char &c : prefix)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return QString::fromLatin1(prefix) +
           QString::number(date.year() % 100).rightJustified(2, QLatin1Char('0')) +
           QString::number(date.month()) + QString::number(date.day()) +
           QString::number(counter).rightJustified(6, QLatin1Char('0')) + QLatin1Char(' ');
}

Settings::SaleCounter TMainForm::advanceSaleNumber()
{
    const qint64 counter = std::max<qint64>(counterValue(m_saleCounter), 0) + 1;
    const Settings::SaleCounter next{
        FormatSaleNumber(OperatorName(), QDate::currentDate(), counter), QString::number(counter)};
    AppState::SetValue(kCounterKey, next.counter);
    AppState::SetValue(kNumberKey, next.number);
    return next;
}

void TMainForm::SaveSaleCounter()
{
    Settings::WriteSaleCounter({m_ui->saleNumberLabel->text(), m_saleCounter});
}

void TMainForm::restoreSaleCounter()
{
    // config.ini is written after every sale, but a crash can come between the stored
    // sale and the file; whichever of the two is further ahead is the truth.
    const std::optional<QString> number = AppState::Value(kNumberKey);
    const std::optional<QString> counter = AppState::Value(kCounterKey);
    if (!number || !counter)
        return;
    if (counterValue(*counter) > counterValue(m_saleCounter)) {
        m_ui->saleNumberLabel->setText(*number);
        m_saleCounter = *counter;
    }
}
