#include "checkout/returnwindow.h"
#include "ui_Returns.h"

#include "components/keyfilter.h"
#include "components/messages.h"
#include "data/mylib.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace {

enum Column {
    CodeColumn,
    NameColumn,
    PriceColumn,
    SoldColumn,
    ReturnedColumn,
    ReturnableColumn,
    ChosenColumn,
    ColumnCount
};

} // namespace

TReturnDialog::TReturnDialog(Till &till, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TReturnDialog), m_till(till)
{
    m_ui->setupUi(this);
    QTableWidget *table = m_ui->linesTable;
    table->setColumnCount(ColumnCount);
    table->setHorizontalHeaderLabels({QStringLiteral("商品编码"), QStringLiteral("商品名称"),
                                      QStringLiteral("单价"), QStringLiteral("已售"),
                                      QStringLiteral("已退"), QStringLiteral("可退"),
                                      QStringLiteral("退货数量")});
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(CodeColumn, 110);
    table->setColumnWidth(NameColumn, 220);
    for (const int column : {PriceColumn, SoldColumn, ReturnedColumn, ReturnableColumn})
        table->setColumnWidth(column, 70);
    QFont big = m_ui->refundLabel->font();
    big.setPixelSize(24);
    big.setBold(true);
    m_ui->refundLabel->setFont(big);
    m_ui->refundCaption->setFont(big);
    KeyFilter::Install(m_ui->saleNumberBox, KeyFilter::LettersDigits());
    KeyFilter::Install(m_ui->quantityBox, KeyFilter::Number());
    m_ui->quantityBox->setEnabled(false);
    m_ui->saleNumberBox->installEventFilter(this);
    m_ui->quantityBox->installEventFilter(this);
    connect(m_ui->findButton, &QPushButton::clicked, this, &TReturnDialog::findButtonClicked);
    connect(table, &QTableWidget::currentCellChanged, this, &TReturnDialog::currentLineChanged);
    connect(m_ui->quantityBox, &QLineEdit::textEdited, this, &TReturnDialog::quantityEdited);
    connect(m_ui->allButton, &QPushButton::clicked, this, &TReturnDialog::allButtonClicked);
    connect(m_ui->confirmButton, &QPushButton::clicked, this, &TReturnDialog::ConfirmReturn);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    showLines();
}

TReturnDialog::~TReturnDialog() = default;

bool TReturnDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter finds the sale (a scanner ends its number with Enter) and, in the quantity
    // box, moves to the next line; it never closes the window.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_ui->saleNumberBox) {
                findButtonClicked();
                return true;
            }
            if (watched == m_ui->quantityBox) {
                QTableWidget *table = m_ui->linesTable;
                if (table->currentRow() + 1 < table->rowCount())
                    table->selectRow(table->currentRow() + 1);
                else
                    m_ui->confirmButton->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TReturnDialog::findButtonClicked()
{
    if (TrimControl(m_ui->saleNumberBox->text()).isEmpty()) {
        Msg::Warning(QStringLiteral("请输入原销售单号！"));
        m_ui->saleNumberBox->setFocus();
        return;
    }
    if (!LoadSale(m_ui->saleNumberBox->text())) {
        Msg::Info(QStringLiteral("没有找到该销售单！"));
        m_ui->saleNumberBox->setFocus();
        m_ui->saleNumberBox->selectAll();
    }
}

bool TReturnDialog::LoadSale(const QString &number)
{
    m_sale = m_till.FindSale(number);
    m_quantities = QList<double>(m_sale ? m_sale->lines.size() : 0, 0.0);
    showLines();
    if (!m_sale)
        return false;
    m_ui->saleNumberBox->setText(m_sale->number);
    if (!m_sale->returnOf.isEmpty())
        Msg::Info(QStringLiteral("这是一张退货单，不能再退货！"));
    else if (m_sale->lines.isEmpty())
        Msg::Info(QStringLiteral("该销售单没有可退的商品！"));
    else {
        m_ui->linesTable->selectRow(0);
        m_ui->quantityBox->setFocus();
        m_ui->quantityBox->selectAll();
    }
    return true;
}

void TReturnDialog::showLines()
{
    QTableWidget *table = m_ui->linesTable;
    const QSignalBlocker blocker(table);
    const bool returnable = m_sale && m_sale->returnOf.isEmpty();
    const QList<Till::SoldLine> lines = returnable ? m_sale->lines : QList<Till::SoldLine>();
    table->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        const Till::SoldLine &line = lines[row];
        const QStringList texts = {line.code,
                                   line.name,
                                   NumberText(line.price),
                                   NumberText(line.quantity),
                                   NumberText(line.returned),
                                   NumberText(line.Returnable()),
                                   NumberText(m_quantities.value(row))};
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (column >= PriceColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
    }
    m_ui->saleInfoLabel->setText(
        m_sale ? QStringLiteral("日期：%1  收银员：%2").arg(m_sale->date, m_sale->operatorName)
               : QString());
    m_ui->quantityBox->setEnabled(!lines.isEmpty());
    m_ui->allButton->setEnabled(!lines.isEmpty());
    m_ui->confirmButton->setEnabled(!lines.isEmpty());
    if (lines.isEmpty())
        m_ui->quantityBox->clear();
    showRefund();
}

void TReturnDialog::showRefund()
{
    double refund = 0;
    if (m_sale)
        for (int row = 0; row < m_quantities.size() && row < m_sale->lines.size(); ++row)
            refund += Till::AsShown(m_sale->lines[row].price * m_quantities[row]);
    m_ui->refundLabel->setText(MoneyText(refund));
}

void TReturnDialog::currentLineChanged()
{
    const int row = m_ui->linesTable->currentRow();
    if (row < 0 || row >= m_quantities.size())
        return;
    m_ui->quantityBox->setText(NumberText(m_quantities[row]));
    m_ui->quantityBox->selectAll();
    if (m_ui->linesTable->hasFocus())
        return;
    m_ui->quantityBox->setFocus();
}

void TReturnDialog::quantityEdited(const QString &text)
{
    const int row = m_ui->linesTable->currentRow();
    if (row < 0 || row >= m_quantities.size())
        return;
    // A text that is not a quantity yet counts as none; the cell shows what counts.
    m_quantities[row] = text.isEmpty() ? 0 : Till::ReadQuantity(text).value_or(0);
    m_ui->linesTable->item(row, ChosenColumn)->setText(NumberText(m_quantities[row]));
    showRefund();
}

void TReturnDialog::allButtonClicked()
{
    if (!m_sale)
        return;
    for (int row = 0; row < m_quantities.size(); ++row)
        m_quantities[row] = m_sale->lines[row].Returnable();
    const int current = m_ui->linesTable->currentRow();
    showLines();
    m_ui->linesTable->selectRow(std::max(current, 0));
    m_ui->confirmButton->setFocus();
}

void TReturnDialog::ConfirmReturn()
{
    if (!m_sale)
        return;
    if (!m_ui->quantityBox->text().isEmpty() && !Till::ReadQuantity(m_ui->quantityBox->text())) {
        Msg::Warning(QStringLiteral("请输入正确的数字！"));
        m_ui->quantityBox->setFocus();
        return;
    }
    QList<Till::ReturnLine> chosen;
    for (int row = 0; row < m_quantities.size(); ++row)
        chosen << Till::ReturnLine{m_sale->lines[row].id, m_quantities[row]};
    const bool anything =
        std::any_of(m_quantities.begin(), m_quantities.end(), [](double q) { return q > 0; });
    if (anything &&
        !Msg::Question(QStringLiteral("确定退货并退款 %1 元吗？").arg(m_ui->refundLabel->text())))
        return;
    const Till::Return result = m_till.SettleReturn(m_sale->number, chosen);
    switch (result.refusal) {
    case Till::ReturnRefusal::None:
        break;
    case Till::ReturnRefusal::NotFound:
        Msg::Info(QStringLiteral("没有找到该销售单！"));
        return;
    case Till::ReturnRefusal::IsReturn:
        Msg::Info(QStringLiteral("这是一张退货单，不能再退货！"));
        return;
    case Till::ReturnRefusal::NothingChosen:
        Msg::Info(QStringLiteral("请输入退货数量！"));
        m_ui->quantityBox->setFocus();
        return;
    case Till::ReturnRefusal::UnknownLine:
    case Till::ReturnRefusal::TooMany:
        Msg::Info(QStringLiteral("退货数量超过可退数量！"));
        for (int row = 0; row < m_sale->lines.size(); ++row)
            if (m_sale->lines[row].id == result.lineId)
                m_ui->linesTable->selectRow(row);
        m_ui->quantityBox->setFocus();
        return;
    }
    emit Returned(result.receipt, m_ui->printCheck->isChecked());
    Msg::Info(QStringLiteral("退货成功！应退款：%1元").arg(MoneyText(result.receipt.change)));
    LoadSale(m_sale->number);
}
