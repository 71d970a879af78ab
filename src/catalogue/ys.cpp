#include "catalogue/ys.h"
#include "ui_ys.h"

#include "catalogue/products.h"
#include "components/datagrid.h"
#include "data/dataset.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "shell/MAIN.h"

#include <QHideEvent>

Tysfm *ysfm = nullptr;

Tysfm::Tysfm(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::Tysfm>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(692, 405);
    QList<GridColumn> columns;
    const QPair<const char16_t *, int> design[] = {{u"商品编码", 120}, {u"商品类别", 120},
                                                   {u"商品名称", 150}, {u"规格型号", 150},
                                                   {u"销售单价", 120}, {u"供货商", 150}};
    for (const auto &[field, width] : design) {
        GridColumn column;
        column.field = QString::fromUtf16(field);
        column.title = column.field;
        column.width = width;
        columns << column;
    }
    DataGrid *grid = m_ui->lookupGrid;
    grid->SetColumns(columns);
    grid->SetTitleColors(DataGrid::SkyBlue());
    grid->SetRowColors(Qt::white, QColor(238, 238, 238));
    grid->SetDataset(dmfm->ADOQuery5);
    connect(grid, &DataGrid::RowDoubleClicked, this, &Tysfm::Choose);

    for (QLineEdit *edit : {m_ui->conditionCodeEdit, m_ui->conditionCategoryEdit,
                            m_ui->conditionNameEdit, m_ui->conditionSpecificationEdit})
        connect(edit, &QLineEdit::textChanged, this, &Tysfm::RunConditionQuery);
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    connect(m_ui->queryButton, &QPushButton::clicked, this, &Tysfm::RunConditionQuery);
    connect(m_ui->clearConditionsButton, &QPushButton::clicked, this, &Tysfm::ClearConditions);
    connect(m_ui->chooseButton, &QPushButton::clicked, this, &Tysfm::Choose);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

Tysfm::~Tysfm() = default;

int Tysfm::Open()
{
    ReopenQuery(*dmfm->ADOQuery5, Products::LookupListSql());
    return exec();
}

void Tysfm::RunConditionQuery()
{
    Products::Conditions conditions;
    conditions.code = m_ui->conditionCodeEdit->text();
    conditions.category = m_ui->conditionCategoryEdit->text();
    conditions.name = m_ui->conditionNameEdit->text();
    conditions.specification = m_ui->conditionSpecificationEdit->text();
    QVariantList params;
    const QString sql = Products::LookupConditionSql(conditions, &params);
    ReopenQuery(*dmfm->ADOQuery5, sql, params);
}

void Tysfm::ClearConditions()
{
    // Each field that held text re-runs the query as it empties.
    for (QLineEdit *edit : {m_ui->conditionCodeEdit, m_ui->conditionCategoryEdit,
                            m_ui->conditionNameEdit, m_ui->conditionSpecificationEdit})
        edit->clear();
}

void Tysfm::Choose()
{
    const QVariant code = dmfm->ADOQuery5->Field(QStringLiteral("商品编码"));
    if (code.isNull() || !code.isValid())
        return; // an empty list hands nothing over; the dialog stays for another search
    MainForm->AddProductFromLookup(code.toString());
    accept();
}

void Tysfm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        dmfm->ADOQuery5->Close();
}
