#include "checkout/heldwindow.h"
#include "ui_HeldSales.h"

#include "checkout/till.h"
#include "components/messages.h"
#include "data/mylib.h"

#include <QHeaderView>

THeldSalesDialog::THeldSalesDialog(Till &till, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::THeldSalesDialog), m_till(till)
{
    m_ui->setupUi(this);
    QTableWidget *table = m_ui->heldTable;
    table->setColumnCount(5);
    table->setHorizontalHeaderLabels({QStringLiteral("单号"), QStringLiteral("挂单时间"),
                                      QStringLiteral("操作员"), QStringLiteral("数量"),
                                      QStringLiteral("金额")});
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(0, 60);
    table->setColumnWidth(1, 170);
    table->setColumnWidth(2, 120);
    table->setColumnWidth(3, 70);
    connect(table, &QTableWidget::cellDoubleClicked, this, &THeldSalesDialog::RecallSelected);
    connect(m_ui->recallButton, &QPushButton::clicked, this, &THeldSalesDialog::RecallSelected);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &THeldSalesDialog::DeleteSelected);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

THeldSalesDialog::~THeldSalesDialog() = default;

bool THeldSalesDialog::Reload()
{
    const QList<Till::HeldSale> held = m_till.HeldSales();
    QTableWidget *table = m_ui->heldTable;
    table->setRowCount(static_cast<int>(held.size()));
    for (int row = 0; row < held.size(); ++row) {
        const Till::HeldSale &sale = held[row];
        const QStringList texts = {QString::number(sale.number), sale.time, sale.operatorName,
                                   NumberText(sale.quantity), MoneyText(sale.amount)};
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            item->setData(Qt::UserRole, sale.id);
            if (column == 0 || column >= 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
    }
    if (!held.isEmpty())
        table->selectRow(0);
    table->setFocus();
    return !held.isEmpty();
}

qint64 THeldSalesDialog::selectedId() const
{
    const QTableWidgetItem *item = m_ui->heldTable->item(m_ui->heldTable->currentRow(), 0);
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

void THeldSalesDialog::RecallSelected()
{
    const qint64 id = selectedId();
    if (id == 0) {
        Msg::Info(QStringLiteral("请先选择要取回的挂单！"));
        return;
    }
    const Till::Recall recall = m_till.RecallHeld(id, m_ui->currentPricesCheck->isChecked());
    switch (recall.result) {
    case Till::RecallResult::CartNotEmpty:
        Msg::Info(QStringLiteral("当前销售还有商品，请先结账或挂单后再取单！"));
        return;
    case Till::RecallResult::NotFound:
        Msg::Info(QStringLiteral("该挂单已不存在！"));
        Reload();
        return;
    case Till::RecallResult::Recalled:
        break;
    }
    if (recall.unpriced > 0)
        Msg::Info(QStringLiteral("有 %1 个商品已不在商品资料中或价格不完整，按挂单时的价格计价。")
                      .arg(recall.unpriced));
    accept();
}

void THeldSalesDialog::DeleteSelected()
{
    const qint64 id = selectedId();
    if (id == 0)
        return;
    if (!Msg::Question(QStringLiteral("你真的要删除选中的挂单吗？")))
        return;
    m_till.DeleteHeld(id);
    Msg::Info(QStringLiteral("删除数据成功！"));
    if (!Reload())
        reject();
}
