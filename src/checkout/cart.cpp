// The cart of the main window: code entry, the line editor, deleting lines and totals.

#include "shell/MAIN.h"
#include "ui_LineEditor.h"
#include "ui_MAIN.h"
#include "ui_Settlement.h"

#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"

#include <QAction>
#include <QKeyEvent>
#include <QTableView>

namespace {

const QString kCartQuery = QStringLiteral("select * from data order by id");

QString textOf(const QVariant &value)
{
    if (value.isNull())
        return {};
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    const int type = value.typeId();
    if (isNumber &&
        (type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong))
        return NumberText(number);
    return value.toString();
}

double numberOf(const QString &text)
{
    double value = 0;
    ParseNumber(text, &value);
    return value;
}

bool isCodeKey(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
        return true;
    default:
        break;
    }
    const QString text = key->text();
    return text.size() == 1 && text[0].unicode() < 0x80 && text[0].isLetterOrNumber();
}

bool isNumberKey(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        return true;
    default:
        break;
    }
    const QString text = key->text();
    return text.size() == 1 && (text[0].isDigit() || text[0] == QLatin1Char('.')) &&
           text[0].unicode() < 0x80;
}

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
        edit->installEventFilter(this);
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
    const QString code = TrimControl(m_ui->codeBox->text());
    Dataset &product = *dmfm->ADOQuery6;
    ReopenQuery(product, QStringLiteral("select * from sp where 商品编码=?"), {code});
    if (product.Eof()) {
        m_ui->codeBox->clear();
        return;
    }

    // A product without its three prices, or with one that is not a number, would put
    // stale or empty figures into the cart.
    for (const char *price : {"销售单价", "会员价", "进货单价"}) {
        double value = 0;
        if (!ParseNumber(textOf(product.Field(QString::fromUtf8(price))), &value)) {
            m_ui->codeBox->clear();
            Msg::Warning(QStringLiteral("商品资料不完整，请先在商品管理中补全价格！"));
            return;
        }
    }
    double quantity = 0;
    if (!ParseNumber(m_lineEditorUi->quantityEdit->text(), &quantity)) {
        m_ui->codeBox->clear();
        Msg::Warning(QStringLiteral("请输入正确的数字！"));
        return;
    }

    m_line.name = TrimControl(textOf(product.Field(QStringLiteral("商品名称"))));
    m_line.specification = TrimControl(textOf(product.Field(QStringLiteral("规格型号"))));
    m_line.code = TrimControl(textOf(product.Field(QStringLiteral("商品编码"))));
    m_line.category = TrimControl(textOf(product.Field(QStringLiteral("商品类别"))));
    m_line.supplier = TrimControl(textOf(product.Field(QStringLiteral("供货商"))));
    m_line.unit = TrimControl(textOf(product.Field(QStringLiteral("单位"))));
    m_line.purchasePrice = textOf(product.Field(QStringLiteral("进货单价")));
    m_lineEditorUi->memberPriceEdit->setText(textOf(product.Field(QStringLiteral("会员价"))));
    m_lineEditorUi->salePriceEdit->setText(textOf(product.Field(QStringLiteral("销售单价"))));
    computeLine();

    const double amount = numberOf(m_lineEditorUi->amountEdit->text());
    const double profit = numberOf(m_line.profit);
    // The line is found by the catalogue's code, so a typed or chosen code in another case
    // or with blanks around it merges into the same line.
    const QString cartCode = m_line.code;
    Dataset &inCart = *dmfm->ADOQuery7;
    ReopenQuery(inCart, QStringLiteral("select * from data where c=?"), {cartCode});
    if (!inCart.Eof()) {
        ExecuteStatement(*dmfm->ADOQuery2,
                         QStringLiteral("update data set \"2\"=\"2\"+?,\"6\"=\"6\"+?,\"7\"=\"7\"+? "
                                        "where c=?"),
                         {quantity, amount, profit, cartCode});
    } else {
        Db::InsertRow(QStringLiteral("data"),
                      {{QStringLiteral("a"), m_line.name},
                       {QStringLiteral("b"), m_line.specification},
                       {QStringLiteral("c"), m_line.code},
                       {QStringLiteral("d"), m_line.category},
                       {QStringLiteral("g"), m_line.supplier},
                       {QStringLiteral("h"), SaleNumber()},
                       {QStringLiteral("i"), TrimControl(OperatorName())},
                       {QStringLiteral("z"), m_line.unit},
                       {QStringLiteral("1"), numberOf(m_line.purchasePrice)},
                       {QStringLiteral("2"), quantity},
                       {QStringLiteral("3"), numberOf(m_lineEditorUi->memberPriceEdit->text())},
                       {QStringLiteral("4"), numberOf(m_lineEditorUi->salePriceEdit->text())},
                       {QStringLiteral("5"), numberOf(m_line.column5)},
                       {QStringLiteral("6"), amount},
                       {QStringLiteral("7"), profit},
                       {QStringLiteral("day1"), DateText(m_saleDate)}});
    }
    m_ui->codeBox->clear();
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

bool TMainForm::computeLine()
{
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    double price = 0;
    double quantity = 0;
    double purchase = 0;
    if (!ParseNumber(le->salePriceEdit->text(), &price) ||
        !ParseNumber(le->quantityEdit->text(), &quantity) ||
        (!m_line.purchasePrice.isEmpty() && !ParseNumber(m_line.purchasePrice, &purchase)))
        return false;
    // The shortest text of each figure is what is stored and added up later.
    le->amountEdit->setText(NumberText(price * quantity));
    m_line.profit = NumberText((price - purchase) * quantity);
    return true;
}

void TMainForm::liveAmount()
{
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    double price = 0;
    double quantity = 0;
    // A text that is not (yet) a number leaves the amount as it was.
    if (ParseNumber(le->salePriceEdit->text(), &price) &&
        ParseNumber(le->quantityEdit->text(), &quantity))
        le->amountEdit->setText(NumberText(price * quantity));
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
    m_ui->totalLabel->setText(QStringLiteral("共:") +
                              m_ui->cartGrid->FooterText(QStringLiteral("6")) +
                              QStringLiteral("元"));
    m_ui->quantityLabel->setText(QStringLiteral("商品数量：") +
                                 m_ui->cartGrid->FooterText(QStringLiteral("2")));
}

void TMainForm::ClearCart()
{
    ExecuteStatement(*dmfm->ADOQuery7, QStringLiteral("delete from data"));
    m_ui->totalLabel->setText(QStringLiteral("共:0.00元"));
    m_ui->quantityLabel->setText(QStringLiteral("商品数量：0"));
    m_ui->codeBox->setFocus();
    RefreshCartView();
}

void TMainForm::OpenLineEditor(bool focusPrice)
{
    const Dataset &cart = *dmfm->ADOQuery15;
    const int row = cart.CurrentRow();
    if (textOf(cart.Value(row, QStringLiteral("c"))).isEmpty())
        return;
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    le->modifyButton->setEnabled(true);
    m_lineEditorPanel->show();
    m_lineEditorPanel->raise();
    le->salePriceEdit->setText(textOf(cart.Value(row, QStringLiteral("4"))));
    le->memberPriceEdit->setText(textOf(cart.Value(row, QStringLiteral("3"))));
    le->quantityEdit->setText(textOf(cart.Value(row, QStringLiteral("2"))));
    le->amountEdit->setText(textOf(cart.Value(row, QStringLiteral("6"))));
    m_line.purchasePrice = textOf(cart.Value(row, QStringLiteral("1")));
    QLineEdit *target = focusPrice ? le->salePriceEdit : le->quantityEdit;
    target->setFocus();
    target->selectAll();
}

void TMainForm::ModifySelectedLine()
{
    Dataset &cart = *dmfm->ADOQuery15;
    const int row = cart.CurrentRow();
    if (row < 0)
        return;
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    if (!computeLine()) {
        Msg::Warning(QStringLiteral("请输入正确的数字！"));
        return;
    }
    if (!Msg::Question(QStringLiteral("你确实要修改选中资料吗？")))
        return;
    cart.Post(row, {{QStringLiteral("4"), numberOf(le->salePriceEdit->text())},
                    {QStringLiteral("3"), numberOf(le->memberPriceEdit->text())},
                    {QStringLiteral("2"), numberOf(le->quantityEdit->text())},
                    {QStringLiteral("6"), numberOf(le->amountEdit->text())},
                    {QStringLiteral("7"), numberOf(m_line.profit)}});
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
    if (row < 0)
        return;
    if (!Msg::Question(QStringLiteral("你真的要删除选中资料吗？")))
        return;
    cart.DeleteRow(row);
    Msg::Info(QStringLiteral("删除数据成功！"));
    UpdateCartTotals();
    m_ui->codeBox->setFocus();
}

void TMainForm::CloseLineEditor()
{
    m_lineEditorPanel->hide();
    Ui::LineEditorForm *le = m_lineEditorUi.get();
    le->salePriceEdit->clear();
    m_line.purchasePrice.clear();
    le->memberPriceEdit->clear();
    m_line.unit.clear();
    le->quantityEdit->setText(QStringLiteral("1"));
    le->amountEdit->setText(QStringLiteral("0"));
    m_line.column5 = QStringLiteral("0");
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
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_ui->codeBox)
        return !isCodeKey(key);
    if (watched == m_lineEditorUi->quantityEdit && key->key() == Qt::Key_Escape) {
        m_lineEditorPanel->hide();
        m_ui->codeBox->setFocus();
        return true;
    }
    if (watched == m_lineEditorUi->salePriceEdit || watched == m_lineEditorUi->quantityEdit ||
        watched == m_settlementUi->cashBox)
        return !isNumberKey(key);
    return QMainWindow::eventFilter(watched, event);
}
