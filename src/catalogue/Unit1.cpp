#include "catalogue/Unit1.h"
#include "ui_ProductPanel.h"
#include "ui_Unit1.h"

#include "catalogue/excel.h"
#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "components/gridexporter.h"
#include "components/gridprinter.h"
#include "components/keyfilter.h"
#include "components/labelsheet.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "shell/maker.h"

#include <QContextMenuEvent>
#include <QDate>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>

TForm1 *Form1 = nullptr;

namespace {

GridColumn productColumn(const char16_t *field, int width)
{
    GridColumn column;
    column.field = QString::fromUtf16(field);
    column.title = column.field;
    column.width = width;
    return column;
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TForm1>()),
      m_panelUi(std::make_unique<Ui::ProductPanelForm>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    resize(932, 554);
    m_ui->statusBar->showMessage(QStringLiteral("回车加入"));
    buildGrid();
    buildPanel();
    buildMenu();

    for (QLineEdit *edit :
         {m_ui->conditionCodeEdit, m_ui->conditionCategoryEdit, m_ui->conditionNameEdit,
          m_ui->conditionSpecificationEdit, m_ui->conditionSupplierEdit}) {
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
        connect(edit, &QLineEdit::textChanged, this, &TForm1::RunConditionQuery);
    }
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    connect(m_ui->queryButton, &QPushButton::clicked, this, &TForm1::RunConditionQuery);
    connect(m_ui->clearConditionsButton, &QPushButton::clicked, this, &TForm1::ClearConditions);
    connect(m_ui->newButton, &QPushButton::clicked, this, &TForm1::NewProduct);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &TForm1::DeleteCurrent);
    connect(m_ui->listAllButton, &QPushButton::clicked, this, &TForm1::ListAll);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &TForm1::ExportList);
    connect(m_ui->printButton, &QPushButton::clicked, this, &TForm1::PrintList);
    connect(m_ui->labelsButton, &QToolButton::clicked, this, &TForm1::PrintLabels);
    connect(m_ui->importButton, &QToolButton::clicked, this, &TForm1::OpenImport);
    setEditEnabled(false);
}

TForm1::~TForm1() = default;

void TForm1::buildGrid()
{
    DataGrid *grid = m_ui->productGrid;
    grid->SetColumns({productColumn(u"商品编码", 120), productColumn(u"商品类别", 100),
                      productColumn(u"商品名称", 160), productColumn(u"规格型号", 120),
                      productColumn(u"进货单价", 80), productColumn(u"销售单价", 80),
                      productColumn(u"会员价", 80), productColumn(u"单位", 80),
                      productColumn(u"供货商", 100)});
    grid->SetTitleColors(DataGrid::SkyBlue());
    grid->SetRowColors(Qt::white, QColor(238, 238, 238));
    grid->SetMultiSelect(true);
    grid->SetDataset(dmfm->ADOQuery12);
    connect(grid, &DataGrid::RowClicked, this, &TForm1::gridRowClicked);
    connect(grid, &DataGrid::RowDoubleClicked, this, [this] {
        m_panel->show();
        m_panel->raise();
    });
}

void TForm1::buildPanel()
{
    m_panel = new FloatingPanel(this);
    m_panelUi->setupUi(m_panel);
    m_panel->setObjectName(QStringLiteral("editPanel"));
    m_panel->resize(328, 368);
    m_panel->move(width() - m_panel->width() - 24, 24);
    m_panel->hide();
    Ui::ProductPanelForm *p = m_panelUi.get();
    for (QLineEdit *edit : {p->purchasePriceEdit, p->salePriceEdit, p->memberPriceEdit})
        KeyFilter::Install(edit, KeyFilter::Number());
    for (QLineEdit *edit :
         {p->codeEdit, p->purchasePriceEdit, p->salePriceEdit, p->memberPriceEdit})
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Enter walks through the panel and ends on its "新 建" button.
    const QList<QWidget *> order{p->codeEdit,          p->categoryEdit,    p->nameEdit,
                                 p->specificationEdit, p->supplierEdit,    p->purchasePriceEdit,
                                 p->salePriceEdit,     p->memberPriceEdit, p->unitEdit,
                                 p->panelNewButton};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget *next = order[i + 1];
        connect(static_cast<QLineEdit *>(order[i]), &QLineEdit::returnPressed, next,
                [next] { next->setFocus(); });
    }
    p->panelNewButton->installEventFilter(this);
    connect(p->panelNewButton, &QPushButton::clicked, this, &TForm1::SaveNewProduct);
    connect(p->panelModifyButton, &QPushButton::clicked, this, &TForm1::SaveModified);
    connect(p->panelCloseButton, &QToolButton::clicked, m_panel, &QWidget::hide);
}

void TForm1::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->addAction(QStringLiteral("新  建"), this, &TForm1::NewProduct);
    m_menu->addAction(QStringLiteral("删  除"), this, &TForm1::DeleteCurrent);
    m_menu->addAction(QStringLiteral("多行删除"), this, &TForm1::DeleteSelected);
    m_menu->addAction(QStringLiteral("全部记录"), this, &TForm1::ListAll);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("导出EXCEL"), this, &TForm1::ExportList);
    m_menu->addAction(QStringLiteral("打  印"), this, &TForm1::PrintList);
    QTableView *view = m_ui->productGrid->view();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint &pos) { m_menu->popup(view->viewport()->mapToGlobal(pos)); });
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panelUi->panelNewButton && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_panelUi->panelNewButton->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    ListAll();
    setEditEnabled(false);
}

void TForm1::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    for (Dataset *dataset :
         {dmfm->ADOTable4, dmfm->ADOQuery1, dmfm->ADOQuery2, dmfm->ADOQuery12, dmfm->ADOQuery4})
        dataset->Close();
    setEditEnabled(false);
    clearPanel(true);
}

void TForm1::setEditEnabled(bool enabled)
{
    m_ui->deleteButton->setEnabled(enabled);
    m_panelUi->panelModifyButton->setEnabled(enabled);
}

void TForm1::ListAll()
{
    ReopenQuery(*dmfm->ADOQuery12, Products::ListAllSql());
    dmfm->ADOQuery12->Last();
}

void TForm1::RunConditionQuery()
{
    Products::Conditions conditions;
    conditions.code = m_ui->conditionCodeEdit->text();
    conditions.category = m_ui->conditionCategoryEdit->text();
    conditions.name = m_ui->conditionNameEdit->text();
    conditions.specification = m_ui->conditionSpecificationEdit->text();
    conditions.supplier = m_ui->conditionSupplierEdit->text();
    QVariantList params;
    const QString sql = Products::ConditionSql(conditions, &params);
    ReopenQuery(*dmfm->ADOQuery12, sql, params);
}

void TForm1::ClearConditions()
{
    for (QLineEdit *edit :
         {m_ui->conditionCodeEdit, m_ui->conditionCategoryEdit, m_ui->conditionNameEdit,
          m_ui->conditionSpecificationEdit, m_ui->conditionSupplierEdit})
        edit->clear();
    RunConditionQuery(); // the base list, even when every field was already empty
}

void TForm1::NewProduct()
{
    m_panel->show();
    m_panel->raise();
    clearPanel(false);
    m_panelUi->codeEdit->setFocus();
}

qint64 TForm1::rowIdOf(int row) const
{
    const Dataset *dataset = dmfm->ADOQuery12;
    if (row < 0 || row >= dataset->RecordCount())
        return -1;
    const QVariant id = dataset->Value(row, QStringLiteral("rowid"));
    return id.isValid() ? id.toLongLong() : -1;
}

void TForm1::gridRowClicked(int row)
{
    const Dataset *dataset = dmfm->ADOQuery12;
    auto text = [&](const char16_t *field) {
        return DataGrid::CellText(dataset->Value(row, QString::fromUtf16(field)));
    };
    const QString code = text(u"商品编码");
    if (code.isEmpty())
        return;
    setEditEnabled(true);
    Ui::ProductPanelForm *p = m_panelUi.get();
    p->codeEdit->setText(code);
    m_loadedCode = code;
    m_loadedRowId = rowIdOf(row);
    p->memberPriceEdit->setText(text(u"会员价"));
    p->categoryEdit->setText(text(u"商品类别"));
    p->nameEdit->setText(text(u"商品名称"));
    p->specificationEdit->setText(text(u"规格型号"));
    p->purchasePriceEdit->setText(text(u"进货单价"));
    p->salePriceEdit->setText(text(u"销售单价"));
    p->unitEdit->setText(text(u"单位"));
    p->supplierEdit->setText(text(u"供货商"));
}

Products::Input TForm1::panelInput() const
{
    const Ui::ProductPanelForm *p = m_panelUi.get();
    Products::Input input;
    input.code = p->codeEdit->text();
    input.category = p->categoryEdit->text();
    input.name = p->nameEdit->text();
    input.specification = p->specificationEdit->text();
    input.supplier = p->supplierEdit->text();
    input.purchasePrice = p->purchasePriceEdit->text();
    input.salePrice = p->salePriceEdit->text();
    input.memberPrice = p->memberPriceEdit->text();
    input.unit = p->unitEdit->text();
    return input;
}

QLineEdit *TForm1::fieldEdit(Products::Field field) const
{
    // In the order of Products::Field.
    const Ui::ProductPanelForm *p = m_panelUi.get();
    QLineEdit *const edits[] = {p->codeEdit,          p->categoryEdit,    p->nameEdit,
                                p->specificationEdit, p->supplierEdit,    p->purchasePriceEdit,
                                p->salePriceEdit,     p->memberPriceEdit, p->unitEdit};
    return edits[static_cast<int>(field)];
}

void TForm1::showRefusal(const Products::Refusal &refusal)
{
    QLineEdit *edit = fieldEdit(refusal.field);
    if (refusal.kind == Products::Refusal::Kind::DuplicateCode) {
        Msg::Info(refusal.message);
        edit->clear();
    } else {
        Msg::Warning(refusal.message);
    }
    edit->setFocus();
}

void TForm1::clearPanel(bool keepMemberPrice)
{
    Ui::ProductPanelForm *p = m_panelUi.get();
    for (QLineEdit *edit : {p->codeEdit, p->categoryEdit, p->nameEdit, p->specificationEdit,
                            p->supplierEdit, p->purchasePriceEdit, p->salePriceEdit, p->unitEdit})
        edit->clear();
    if (!keepMemberPrice)
        p->memberPriceEdit->clear();
}

void TForm1::SaveNewProduct()
{
    const Products::Refusal refusal = Products::Create(panelInput());
    if (!refusal.ok()) {
        showRefusal(refusal);
        return;
    }
    clearPanel(false);
    ListAll();
    setEditEnabled(false);
}

void TForm1::SaveModified()
{
    if (m_loadedRowId < 0)
        return;
    const Products::Refusal refusal = Products::Modify(m_loadedRowId, m_loadedCode, panelInput());
    if (!refusal.ok()) {
        showRefusal(refusal);
        return;
    }
    clearPanel(false);
    ListAll();
    setEditEnabled(false);
}

void TForm1::DeleteCurrent()
{
    if (Msg::Question(QStringLiteral("你真的要删除选中资料吗？"))) {
        const qint64 id = rowIdOf(dmfm->ADOQuery12->CurrentRow());
        if (id >= 0) {
            Products::Delete({id});
            Msg::Info(QStringLiteral("删除成功！"));
        }
        setEditEnabled(false);
    }
    clearPanel(true);
    ListAll();
}

void TForm1::DeleteSelected()
{
    QList<qint64> ids;
    for (int row : m_ui->productGrid->SelectedRows())
        if (const qint64 id = rowIdOf(row); id >= 0)
            ids << id;
    if (ids.isEmpty())
        return;
    if (!Msg::Question(QStringLiteral("你真的要删除选中的 %1 条资料吗？").arg(ids.size())))
        return;
    Products::Delete(ids);
    // The same list without the deleted rows, in the order it was shown.
    Dataset *dataset = dmfm->ADOQuery12;
    const QString field = dataset->SortField();
    const Qt::SortOrder order = dataset->SortOrder();
    dataset->Open();
    if (!field.isEmpty())
        dataset->Sort(field, order);
    m_ui->productGrid->view()->clearSelection();
}

void TForm1::ExportList()
{
    GridExporter::Export(this, m_ui->productGrid, QStringLiteral("全部商品清单"),
                         QStringLiteral("ZentrikPOS收银系统"));
}

void TForm1::PrintList()
{
    GridPrintOptions options;
    options.titleLine = QStringLiteral("ZentrikPOS收银系统 ") + Maker::WebAddress();
    options.before = QStringLiteral("全 部 商 品 报 表");
    options.after = {QString(), DateText(QDate::currentDate())};
    GridPrinter::Preview(this, m_ui->productGrid, options);
}

void TForm1::PrintLabels()
{
    LabelSheet::Preview(this, dmfm->ADOQuery12);
}

void TForm1::OpenImport()
{
    excell->exec();
}
