// The cart of the main window: code entry, the line editor, deleting lines and totals.

#include "shell/MAIN.h"
#include "ui_LineEditor.h"
#include "ui_MAIN.h"
#include "ui_Settlement.h"

#include "checkout/till.h"
#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "components/keyfilter.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"

#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QTableView>
#include <QTimer>

namespace {

const QString kCartQuery = QStringLiteral("select * from data order by id");

} // namespace

void TMainForm::buildCartGrid()
{
    DataGrid *grid = m_ui->cartGrid;
    const QColor skyBlue = DataGrid::SkyBlue();
    QList<GridColumn> columns;
    const auto column = [&](const QString &field, const QString &title, int width) {
        GridColumn c;
        c.field = field;
        c.title = title;
        c.width = width;
        c.titleBackground = skyBlue;
        columns << c;
        return &columns.last();
    };
    column(QStringLiteral("c"), QStringLiteral("商品编码"), 100);
    column(QStringLiteral("a"), QStringLiteral("商品名称"), 240);
    column(QStringLiteral("b"), QStringLiteral("规格型号"), 120);
    column(QStringLiteral("4"), QStringLiteral("销售价"), 100);
    GridColumn *quantity = column(QStringLiteral("2"), QStringLiteral("数 量"), 100);
    quantity->footer = GridColumn::Footer::Sum;
    quantity->titleBackground = QColor(0x80, 0x00, 0x00);
    quantity->titleForeground = Qt::white;
    column(QStringLiteral("z"), QStringLiteral("单 位"), 60);
    GridColumn *amount = column(QStringLiteral("6"), QStringLiteral("金 额"), 100);
    amount->footer = GridColumn::Footer::Sum;
    amount->footerFormat = QStringLiteral("0.00");
    GridColumn *profit = column(QStringLiteral("7"), QStringLiteral("利润"), 100);
    profit->footer = GridColumn::Footer::Sum;
    profit->visible = false;
    grid->SetColumns(columns);
    grid->SetFontPixelSize(16);
    grid->SetRowColors(QColor(0xEE, 0xEE, 0xEE));
    grid->SetFooterColor(QColor(0xFF, 0xC2, 0x86));

    QTableView *view = grid->view();
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto addAction = [&](const QString &name, const QString &text, const QKeySequence &key,
                               auto handler) {
        auto *action = new QAction(text, view);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, handler);
        view->addAction(action);
        return action;
    };
    addAction(QStringLiteral("modifyPriceAction"), QStringLiteral("修改销售单价"), QKeySequence(),
              [this] { OpenLineEditor(true); });
    addAction(QStringLiteral("modifyQuantityAction"), QStringLiteral("修改数量"),
              QKeySequence(Qt::CTRL | Qt::Key_X), [this] { OpenLineEditor(false); });
    addAction(QStringLiteral("deleteLineAction"), QStringLiteral("删除单个商品"),
              QKeySequence(Qt::Key_Delete), [this] { DeleteSelectedLine(); });
    addAction(QStringLiteral("deleteAllAction"), QStringLiteral("删除全部"), QKeySequence(),
              [this] { ClearCart(); });

    connect(grid, &DataGrid::RowClicked, this, &TMainForm::cartGridRowClicked);
    connect(grid, &DataGrid::RowDoubleClicked, this, [this] { OpenLineEditor(false); });
    connect(grid, &DataGrid::TitleClicked, this, &TMainForm::cartGridTitleClicked);
}

void TMainForm::buildLineEditor()
{
    m_lineEditorUi->setupUi(m_lineEditorPanel);
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    for (QLineEdit *edit : {le->salePriceEdit, le->quantityEdit})
        KeyFilter::Install(edit, KeyFilter::Number());
    le->quantityEdit->installEventFilter(this);
    // The arrows are pictures in the one colour every look's arrow background is
    // checked against, so they show in every skin.
    for (auto [button, icon] : {std::pair{le->quantityUpButton, ":/icons/up.svg"},
                                std::pair{le->quantityDownButton, ":/icons/down.svg"}}) {
        button->setArrowType(Qt::NoArrow);
        button->setIcon(QIcon(QString::fromLatin1(icon)));
        button->setIconSize(QSize(10, 6));
    }
    // Each caption names its field (its accessible name).
    le->salePriceCaption->setBuddy(le->salePriceEdit);
    le->memberPriceCaption->setBuddy(le->memberPriceEdit);
    le->quantityCaption->setBuddy(le->quantityEdit);
    le->amountCaption->setBuddy(le->amountEdit);
    connect(le->salePriceEdit, &QLineEdit::textChanged, this, &TMainForm::liveAmount);
    connect(le->quantityEdit, &QLineEdit::textChanged, this, &TMainForm::liveAmount);
    connect(le->salePriceEdit, &QLineEdit::returnPressed, le->quantityEdit,
            [le] { le->quantityEdit->setFocus(); });
    connect(le->quantityEdit, &QLineEdit::returnPressed, le->modifyButton,
            [le] { le->modifyButton->setFocus(); });
    connect(le->quantityUpButton, &QToolButton::clicked, this, [this] { quantityStep(1); });
    connect(le->quantityDownButton, &QToolButton::clicked, this, [this] { quantityStep(-1); });
    connect(le->modifyButton, &QPushButton::clicked, this, &TMainForm::ModifySelectedLine);
    connect(le->lineEditorCloseButton, &QToolButton::clicked, this, &TMainForm::CloseLineEditor);
    le->salePriceEdit->setText(QStringLiteral("0"));
    le->memberPriceEdit->setText(QStringLiteral("0"));
    le->quantityEdit->setText(QStringLiteral("1"));
}

void TMainForm::codeBoxReturnPressed()
{
    if (!m_ui->codeBox->text().isEmpty()) {
        AddProductByCode();
        RefreshCartView();
        UpdateCartTotals();
        m_ui->codeBox->setFocus();
        return;
    }
    RefreshCartView();
    if (dmfm->ADOQuery15->RecordCount() > 0) {
        OpenSettlement();
        return;
    }
    m_ui->codeBox->setFocus();
    m_ui->codeBox->clear();
    RefreshCartView();
    UpdateCartTotals();
}

void TMainForm::AddProductByCode()
{
    const QString code = m_ui->codeBox->text();
    m_ui->codeBox->clear();
    // The quantity field is the quantity of the next entry until the editor is closed.
    const std::optional<double> quantity = Till::ReadQuantity(m_lineEditorUi->quantityEdit->text());
    if (!quantity) {
        Msg::Warning(QStringLiteral("请输入正确的数字！"));
        return;
    }
    switch (m_till->AddByCode(code, *quantity)) {
    case Till::AddResult::Added:
    case Till::AddResult::Merged:
    case Till::AddResult::NotFound: // an unknown code is dropped without a word
        break;
    case Till::AddResult::IncompletePrice:
        Msg::Warning(QStringLiteral("商品资料不完整，请先在商品管理中补全价格！"));
        break;
    case Till::AddResult::OutOfBounds:
        Msg::Warning(QStringLiteral("请输入正确的数字！"));
        break;
    }
}

void TMainForm::AddProductFromLookup()
{
    if (m_ui->codeBox->text().isEmpty()) {
        OpenSettlement();
        return;
    }
    AddProductByCode();
    RefreshCartView();
    UpdateCartTotals();
    m_ui->codeBox->setFocus();
}

void TMainForm::liveAmount()
{
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    const std::optional<double> price = Till::ReadPrice(le->salePriceEdit->text());
    const std::optional<double> quantity = Till::ReadQuantity(le->quantityEdit->text());
    // A text that is not (yet) a number the till takes leaves the amount as it was.
    if (price && quantity)
        le->amountEdit->setText(NumberText(Till::AsShown(*price * *quantity)));
}

void TMainForm::quantityStep(int delta)
{
    double quantity = 0;
    if (!ParseNumber(m_lineEditorUi->quantityEdit->text(), &quantity))
        quantity = 0;
    m_lineEditorUi->quantityEdit->setText(NumberText(std::clamp(quantity + delta, 0.0, 100.0)));
}

void TMainForm::RefreshCartView()
{
    Dataset &cart = *dmfm->ADOQuery15;
    ReopenQuery(cart, kCartQuery);
    cart.Last();
    m_settlementPanel->hide();
}

void TMainForm::UpdateCartTotals()
{
    const CartTotals totals = m_till->Totals();
    m_ui->totalLabel->setText(QStringLiteral("共:") + totals.AmountText() + QStringLiteral("元"));
    m_ui->quantityLabel->setText(QStringLiteral("商品数量：") + totals.QuantityText());
}

void TMainForm::ClearCart()
{
    m_till->ClearCart();
    m_ui->totalLabel->setText(QStringLiteral("共:0.00元"));
    m_ui->quantityLabel->setText(QStringLiteral("商品数量：0"));
    m_ui->codeBox->setFocus();
    RefreshCartView();
}

qint64 TMainForm::selectedLineId() const
{
    const Dataset &cart = *dmfm->ADOQuery15;
    const int row = cart.CurrentRow();
    return row < 0 ? 0 : cart.Value(row, QStringLiteral("id")).toLongLong();
}

void TMainForm::OpenLineEditor(bool focusPrice)
{
    const std::optional<Till::Line> line = m_till->CartLine(selectedLineId());
    if (!line || line->code.isEmpty())
        return;
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    le->modifyButton->setEnabled(true);
    m_lineEditorPanel->show();
    m_lineEditorPanel->raise();
    le->salePriceEdit->setText(NumberText(line->salePrice));
    le->memberPriceEdit->setText(NumberText(line->memberPrice));
    le->quantityEdit->setText(NumberText(line->quantity));
    le->amountEdit->setText(NumberText(line->amount));
    QLineEdit *target = focusPrice ? le->salePriceEdit : le->quantityEdit;
    target->setFocus();
    target->selectAll();
}

void TMainForm::ModifySelectedLine()
{
    const qint64 id = selectedLineId();
    if (id == 0)
        return;
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    const std::optional<double> price = Till::ReadPrice(le->salePriceEdit->text());
    const std::optional<double> quantity = Till::ReadQuantity(le->quantityEdit->text());
    if (!price || !quantity) {
        Msg::Warning(QStringLiteral("请输入正确的数字！"));
        return;
    }
    if (!Msg::Question(QStringLiteral("你确实要修改选中资料吗？")))
        return;
    m_till->ModifyLine(id, *price, *quantity);
    RefreshCartView();
    m_lineEditorPanel->hide();
    Msg::Info(QStringLiteral("修改数据成功！"));
    UpdateCartTotals();
    m_ui->codeBox->setFocus();
}

void TMainForm::DeleteSelectedLine()
{
    m_settlementPanel->hide();
    Dataset &cart = *dmfm->ADOQuery15;
    const int row = cart.CurrentRow();
    const qint64 id = selectedLineId();
    if (id == 0)
        return;
    if (!Msg::Question(QStringLiteral("你真的要删除选中资料吗？")))
        return;
    m_till->DeleteLine(id);
    cart.Open();
    if (cart.RecordCount() > 0)
        cart.SetCurrentRow(std::min(row, cart.RecordCount() - 1));
    Msg::Info(QStringLiteral("删除数据成功！"));
    UpdateCartTotals();
    m_ui->codeBox->setFocus();
}

void TMainForm::CloseLineEditor()
{
    m_lineEditorPanel->hide();
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    le->salePriceEdit->clear();
    le->memberPriceEdit->clear();
    le->quantityEdit->setText(QStringLiteral("1"));
    le->amountEdit->setText(QStringLiteral("0"));
    le->modifyButton->setEnabled(false);
}

void TMainForm::cartGridRowClicked(int)
{
    m_settlementPanel->hide();
    m_lineEditorUi->modifyButton->setEnabled(false);
}

void TMainForm::cartGridTitleClicked()
{
    m_settlementPanel->hide();
    m_lineEditorPanel->hide();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == m_lineEditorUi->quantityEdit &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        // The quantity stays in force for the next scans; one that is no quantity would
        // refuse every scan while the editor that shows it is hidden.
        if (!Till::ReadQuantity(m_lineEditorUi->quantityEdit->text()))
            m_lineEditorUi->quantityEdit->setText(QStringLiteral("1"));
        m_lineEditorPanel->hide();
        m_ui->codeBox->setFocus();
        return true;
    }
    const auto *widget = qobject_cast<QWidget *>(watched);
    const bool inSettlement =
        widget && (widget == m_settlementPanel || m_settlementPanel->isAncestorOf(widget));
    if (inSettlement && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        CancelSettlement();
        return true;
    }
    // Any click in the settlement panel hands the keyboard back to the cash box, so
    // Enter goes on to confirm.
    if (inSettlement && event->type() == QEvent::MouseButtonRelease &&
        watched != m_settlementUi->cashBox && m_settlementPanel->isVisible())
        QTimer::singleShot(0, m_settlementUi->cashBox, [this] {
            if (m_settlementPanel->isVisible())
                m_settlementUi->cashBox->setFocus();
        });
    return QMainWindow::eventFilter(watched, event);
}
