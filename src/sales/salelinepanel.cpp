#include "sales/salelinepanel.h"

#include "components/datagrid.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

// Caption and the data1 field shown beside it; captions without a field stay empty.
const QList<QPair<QString, QString>> &rows()
{
    static const QList<QPair<QString, QString>> list = {
        {QStringLiteral("商品名称："), QString()},
        {QStringLiteral("规格型号："), QStringLiteral("b")},
        {QStringLiteral("商品编码："), QStringLiteral("c")},
        {QStringLiteral("类 别："), QStringLiteral("d")},
        {QStringLiteral("销售日期："), QStringLiteral("day1")},
        {QStringLiteral("销售单价："), QStringLiteral("4")},
        {QStringLiteral("销售数量："), QStringLiteral("2")},
        {QStringLiteral("销售金额："), QStringLiteral("6")},
        {QStringLiteral("欠款金额："), QString()},
        {QStringLiteral("客户编号："), QString()},
        {QStringLiteral("客户名称："), QString()},
        {QStringLiteral("地 址："), QString()},
        {QStringLiteral("联系方式："), QString()},
        {QStringLiteral("备 注："), QString()},
    };
    return list;
}

} // namespace

SaleLinePanel::SaleLinePanel(QWidget *parent) : FloatingPanel(parent)
{
    setObjectName(QStringLiteral("linePanel"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 4, 8);
    layout->setVerticalSpacing(3);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("linePanelTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    layout->addWidget(m_title, 0, 0, 1, 2);
    m_closeButton = new QToolButton(this);
    m_closeButton->setObjectName(QStringLiteral("linePanelCloseButton"));
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setToolTip(QStringLiteral("关闭"));
    layout->addWidget(m_closeButton, 0, 2, Qt::AlignRight);

    int row = 1;
    for (const auto &[caption, field] : rows()) {
        auto *label = new QLabel(caption, this);
        auto *box = new QLineEdit(this);
        box->setReadOnly(true);
        box->setObjectName(QStringLiteral("linePanelBox%1").arg(row));
        label->setBuddy(box);
        layout->addWidget(label, row, 0, Qt::AlignRight);
        layout->addWidget(box, row, 1, 1, 2);
        m_boxes.insert(caption, box);
        m_fields.insert(caption, field);
        ++row;
    }
    m_deleteButton = new QPushButton(QStringLiteral("删 除"), this);
    m_deleteButton->setObjectName(QStringLiteral("lineDeleteButton"));
    m_deleteButton->setAutoDefault(false);
    layout->addWidget(m_deleteButton, row, 1, 1, 2, Qt::AlignRight);

    connect(m_closeButton, &QToolButton::clicked, this, &SaleLinePanel::Clear);
    connect(m_deleteButton, &QPushButton::clicked, this, &SaleLinePanel::DeleteClicked);
    setFixedWidth(260);
    adjustSize();
    hide();
}

void SaleLinePanel::ShowLine(const QVariant &id, const QMap<QString, QVariant> &values)
{
    m_id = id;
    m_title->setText(DataGrid::CellText(values.value(QStringLiteral("a"))));
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
        m_boxes[it.key()]->setText(
            it.value().isEmpty() ? QString() : DataGrid::CellText(values.value(it.value())));
    show();
    raise();
}

void SaleLinePanel::Clear()
{
    m_id = QVariant();
    m_title->clear();
    for (QLineEdit *box : std::as_const(m_boxes))
        box->clear();
    hide();
}

QString SaleLinePanel::ValueOf(const QString &caption) const
{
    const QLineEdit *box = m_boxes.value(caption);
    return box ? box->text() : QString();
}
