#include "sales/Unit4.h"
#include "ui_Unit4.h"

#include "components/datagrid.h"
#include "components/gridexporter.h"
#include "components/gridprinter.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "sales/salelinepanel.h"
#include "sales/saleschart.h"
#include "shell/MAIN.h"

#include <QAction>
#include <QKeyEvent>
#include <QTableView>

Txstj *xstj = nullptr;

namespace {

GridColumn column(const QString &field, const QString &title, int width,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = width;
    c.alignment = alignment;
    return c;
}

GridColumn sumColumn(const QString &field, const QString &title, int width)
{
    GridColumn c = column(field, title, width, Qt::AlignRight | Qt::AlignVCenter);
    c.footer = GridColumn::Footer::Sum;
    return c;
}

QList<GridColumn> summaryColumns()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {column(QStringLiteral("a"), QStringLiteral("销售单|流水号"), 150),
            column(QStringLiteral("b"), QStringLiteral("销售单|操作人"), 90),
            column(QStringLiteral("1"), QStringLiteral("销 售|应收金额"), 80, right),
            column(QStringLiteral("2"), QStringLiteral("销 售|实收金额"), 80, right),
            column(QStringLiteral("3"), QStringLiteral("销 售|现 金"), 70, right),
            column(QStringLiteral("4"), QStringLiteral("销 售|找 零"), 70, right),
            column(QStringLiteral("5"), QStringLiteral("销 售|利 润"), 70, right),
            column(QStringLiteral("7"), QStringLiteral("销 售|欠 款"), 70, right),
            column(QStringLiteral("day1"), QStringLiteral("销 售|日 期"), 90, Qt::AlignCenter),
            column(QStringLiteral("z"), QStringLiteral("备 注|备 注"), 100)};
}

QList<GridColumn> lineColumns()
{
    GridColumn first = column(QStringLiteral("h"), QStringLiteral("销售单|流水号"), 120);
    first.footer = GridColumn::Footer::Text;
    first.footerFormat = QStringLiteral("合计");
    return {
        first,
        column(QStringLiteral("i"), QStringLiteral("销售单|操作人"), 70),
        column(QStringLiteral("a"), QStringLiteral("商 品 信 息| 名 称"), 120),
        column(QStringLiteral("b"), QStringLiteral("商 品 信 息|规格型号"), 100),
        column(QStringLiteral("c"), QStringLiteral("商 品 信 息| 编 码"), 100),
        column(QStringLiteral("d"), QStringLiteral("商 品 信 息|类 别"), 70),
        column(QStringLiteral("4"), QStringLiteral("销 售 信 息|单 价"), 60,
               Qt::AlignRight | Qt::AlignVCenter),
        sumColumn(QStringLiteral("2"), QStringLiteral("销 售 信 息|数 量"), 60),
        column(QStringLiteral("z"), QStringLiteral("销 售 信 息|单位"), 60, Qt::AlignCenter),
        sumColumn(QStringLiteral("6"), QStringLiteral("销 售 信 息|金 额"), 70),
        column(QStringLiteral("day1"), QStringLiteral("销 售 信 息|日 期"), 120, Qt::AlignCenter),
        sumColumn(QStringLiteral("7"), QStringLiteral("销 售 信 息|净利润"), 70),
        column(QStringLiteral("j"), QStringLiteral("备 注|备 注"), 60)};
}

} // namespace

Txstj::Txstj(QWidget *parent) : QDialog(parent), m_ui(new Ui::Txstj)
{
    // Nothing here touches the database: the lists are loaded when the main window shows.
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    m_ui->fromDate->setAccessibleName(QStringLiteral("销售日期："));
    for (int month = 1; month <= 12; ++month)
        m_ui->dayMonthBox->addItem(QString::number(month));

    buildGrids();
    buildCharts();
    buildMenu();
    m_linePanel = new SaleLinePanel(m_ui->detailPage);
    connect(m_linePanel, &SaleLinePanel::DeleteClicked, this, &Txstj::DeleteLine);

    connectFilters();
    connect(m_ui->monthButton, &QPushButton::clicked, this, &Txstj::LoadCurrentMonth);
    connect(m_ui->allButton, &QPushButton::clicked, this, &Txstj::LoadAll);
    connect(m_ui->saleNumberAllButton, &QPushButton::clicked, this, &Txstj::LoadAll);
    connect(m_ui->filterButton, &QPushButton::clicked, this, &Txstj::ApplyFilter);
    connect(m_ui->saleNumberQueryButton, &QPushButton::clicked, this, &Txstj::ApplyFilter);
    connect(m_ui->todayButton, &QPushButton::clicked, this, &Txstj::FilterToday);
    connect(m_ui->clearButton, &QPushButton::clicked, this, &Txstj::ClearConditions);
    using SalesRecords::Measure;
    connect(m_ui->monthProfitButton, &QPushButton::clicked, this,
            [this] { QueryMonthChart(Measure::Profit); });
    connect(m_ui->monthSalesButton, &QPushButton::clicked, this,
            [this] { QueryMonthChart(Measure::Sales); });
    connect(m_ui->dayProfitButton, &QPushButton::clicked, this,
            [this] { QueryDayChart(Measure::Profit); });
    connect(m_ui->daySalesButton, &QPushButton::clicked, this,
            [this] { QueryDayChart(Measure::Sales); });
}

Txstj::~Txstj() = default;

void Txstj::buildGrids()
{
    m_ui->summaryGrid->SetColumns(summaryColumns());
    m_ui->summaryGrid->SetFontPixelSize(13);
    m_ui->lineGrid->SetColumns(lineColumns());
    m_ui->lineGrid->SetFontPixelSize(13);
    for (DataGrid *grid : {m_ui->summaryGrid, m_ui->lineGrid})
        grid->SetTitleColors(DataGrid::SkyBlue());
    m_ui->lineGrid->SetFooterColor(QColor(0xFF, 0xC2, 0x86));
    m_ui->lineGrid->view()->installEventFilter(this);
    connect(m_ui->lineGrid, &DataGrid::RowClicked, this, &Txstj::CloseLinePanel);
    connect(m_ui->lineGrid, &DataGrid::TitleClicked, this, &Txstj::CloseLinePanel);
    connect(m_ui->summaryGrid, &DataGrid::TitleClicked, this, &Txstj::CloseLinePanel);
    connect(m_ui->lineGrid, &DataGrid::RowDoubleClicked, this, &Txstj::lineGridDoubleClicked);
    connect(m_ui->summaryGrid, &DataGrid::RowDoubleClicked, this, &Txstj::summaryGridDoubleClicked);
}

void Txstj::buildCharts()
{
    m_monthChart = new SalesChart(QStringLiteral("月销售报表统计"), 12, 12, QStringLiteral("月"),
                                  QColor(0xF0, 0xD0, 0x00), m_ui->monthChartHolder);
    m_monthChart->setObjectName(QStringLiteral("monthChart"));
    m_ui->monthChartHolderLayout->addWidget(m_monthChart);
    m_dayChart = new SalesChart(QStringLiteral("日销售报表统计"), 32, 31, QStringLiteral("日"),
                                QColor(0xFF, 0x8C, 0x00), m_ui->dayChartHolder);
    m_dayChart->setObjectName(QStringLiteral("dayChart"));
    m_ui->dayChartHolderLayout->addWidget(m_dayChart);
    // An operator who may not see the charts still gets the page laid out as designed: the
    // hidden charts keep their space, so the query boxes and buttons stay at their size.
    for (SalesChart *chart : {m_monthChart, m_dayChart}) {
        QSizePolicy policy = chart->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        chart->setSizePolicy(policy);
    }
}

void Txstj::buildMenu()
{
    auto *exportAction = new QAction(QStringLiteral("导出Excel"), m_ui->lineGrid);
    exportAction->setObjectName(QStringLiteral("exportAction"));
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    auto *printAction = new QAction(QStringLiteral("打 印"), m_ui->lineGrid);
    printAction->setObjectName(QStringLiteral("printAction"));
    printAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    for (QAction *action : {exportAction, printAction}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_ui->lineGrid->addAction(action);
        m_ui->lineGrid->view()->addAction(action);
    }
    m_ui->lineGrid->view()->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(exportAction, &QAction::triggered, this, &Txstj::ExportLines);
    connect(printAction, &QAction::triggered, this, &Txstj::PrintLines);

    // The selected sale summary: a return against it, or the shift report of its session.
    const auto summaryAction = [this](const char *name, const QString &text,
                                      const QKeySequence &key, auto handler) {
        auto *action = new QAction(text, m_ui->summaryGrid);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_ui->summaryGrid->addAction(action);
        m_ui->summaryGrid->view()->addAction(action);
        connect(action, &QAction::triggered, this, handler);
    };
    summaryAction("returnSaleAction", QStringLiteral("退货"), QKeySequence(Qt::CTRL | Qt::Key_T),
                  [this] { ReturnSelectedSale(); });
    summaryAction("sessionReportAction", QStringLiteral("交班报表"),
                  QKeySequence(Qt::CTRL | Qt::Key_J), [this] { ShowSelectedSession(); });
    m_ui->summaryGrid->view()->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// A field of the selected sale summary; nothing, after a message, when none is selected.
static std::optional<QVariant> selectedSummaryValue(const QString &field)
{
    const Dataset &summaries = *dmfm->ADOQuery9;
    const int row = summaries.CurrentRow();
    if (row < 0 || !MainForm) {
        Msg::Info(QStringLiteral("请先选择一张销售单！"));
        return std::nullopt;
    }
    return summaries.Value(row, field);
}

void Txstj::ReturnSelectedSale()
{
    const std::optional<QVariant> number = selectedSummaryValue(QStringLiteral("a"));
    if (!number)
        return;
    MainForm->OpenReturns(number->toString());
    ApplyFilter();
}

void Txstj::ShowSelectedSession()
{
    const std::optional<QVariant> session = selectedSummaryValue(QStringLiteral("rz_id"));
    if (!session)
        return;
    if (session->toLongLong() == 0) {
        Msg::Info(QStringLiteral("这张销售单没有记录班次！"));
        return;
    }
    MainForm->OpenShiftReport(session->toLongLong());
}

void Txstj::connectFilters()
{
    // Every change of a filter text re-runs both lists at once.
    const auto live = [this] {
        if (!m_loading)
            ApplyFilter();
    };
    for (QLineEdit *box : {m_ui->nameBox, m_ui->codeBox, m_ui->specificationBox, m_ui->operatorBox,
                           m_ui->saleNumberBox})
        connect(box, &QLineEdit::textChanged, this, live);
    connect(m_ui->categoryBox, &QComboBox::editTextChanged, this, live);
}

void Txstj::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Coming back from minimised, the window keeps its filters and the lists they gave.
    if (event->spontaneous())
        return;
    const QDate today = QDate::currentDate();
    m_loading = true;
    m_ui->dayMonthBox->setCurrentIndex(today.month() - 1);
    m_ui->fromDate->setDate(today);
    m_ui->toDate->setDate(today);
    m_loading = false;
    refillYears();
    ApplyOperator(TMainForm::OperatorName());
    QueryMonthChart(SalesRecords::Measure::Profit);
    QueryDayChart(SalesRecords::Measure::Profit);
    LoadCurrentMonth();
}

void Txstj::done(int result)
{
    CloseLinePanel();
    dmfm->ADOQuery13->Close();
    if (MainForm)
        MainForm->RefreshCartView();
    QDialog::done(result);
}

void Txstj::ApplyOperator(const QString &operatorName)
{
    const bool administrator = operatorName == Tdmfm::AdminName();
    m_monthChart->setVisible(administrator);
    m_dayChart->setVisible(administrator);
}

void Txstj::refillYears()
{
    QStringList years;
    for (int year : SalesRecords::SaleYears())
        years << QString::number(year);
    const QString current = QString::number(QDate::currentDate().year());
    m_loading = true;
    for (QComboBox *box : {m_ui->monthYearBox, m_ui->dayYearBox}) {
        const QString chosen = box->currentText().isEmpty() ? current : box->currentText();
        box->clear();
        box->addItems(years);
        box->setCurrentText(chosen);
    }
    m_loading = false;
}

void Txstj::refillCategories()
{
    m_loading = true;
    m_ui->categoryBox->clear();
    m_ui->categoryBox->addItems(SalesRecords::Categories());
    m_ui->categoryBox->setCurrentIndex(-1);
    m_ui->categoryBox->setEditText(QString());
    m_loading = false;
}

void Txstj::showLines(const SqlStatement &lines, const SqlStatement &summaries, bool always)
{
    ReopenQuery(*dmfm->ADOQuery13, lines.sql, lines.params);
    // Filtered, the summaries follow the sale number only: while it stays, the list it gave
    // stands (with its sort), and a keystroke in another field costs one query, not two.
    Dataset *sums = dmfm->ADOQuery9;
    if (always || !sums->IsOpen() || sums->Sql() != summaries.sql ||
        m_summaryParams != summaries.params)
        ReopenQuery(*sums, summaries.sql, summaries.params);
    m_summaryParams = summaries.params;
    if (m_ui->lineGrid->dataset() != dmfm->ADOQuery13)
        m_ui->lineGrid->SetDataset(dmfm->ADOQuery13);
    if (m_ui->summaryGrid->dataset() != dmfm->ADOQuery9)
        m_ui->summaryGrid->SetDataset(dmfm->ADOQuery9);
}

void Txstj::LoadCurrentMonth()
{
    refillCategories();
    const QDate today = QDate::currentDate();
    showLines(SalesRecords::MonthLines(today), SalesRecords::MonthSummaries(today), true);
    dmfm->ADOQuery13->Last();
    CloseLinePanel();
}

void Txstj::LoadAll()
{
    refillCategories();
    showLines(SalesRecords::AllLines(), SalesRecords::AllSummaries(), true);
    dmfm->ADOQuery13->Last();
    CloseLinePanel();
}

SalesFilter Txstj::Filter() const
{
    SalesFilter filter;
    filter.category = m_ui->categoryBox->currentText();
    filter.name = m_ui->nameBox->text();
    filter.saleNumber = m_ui->saleNumberBox->text();
    filter.code = m_ui->codeBox->text();
    filter.specification = m_ui->specificationBox->text();
    filter.operatorName = m_ui->operatorBox->text();
    filter.byDate = m_ui->dateCheck->isChecked();
    filter.fromText = m_ui->fromDate->text();
    filter.toText = m_ui->toDate->text();
    return filter;
}

void Txstj::ApplyFilter()
{
    const SalesFilter filter = Filter();
    showLines(SalesRecords::FilteredLines(filter),
              SalesRecords::FilteredSummaries(filter.saleNumber), false);
    CloseLinePanel();
}

void Txstj::FilterToday()
{
    m_ui->dateCheck->setChecked(true);
    ApplyFilter();
}

void Txstj::ClearConditions()
{
    m_loading = true;
    m_ui->nameBox->clear();
    m_ui->codeBox->clear();
    m_ui->specificationBox->clear();
    m_ui->categoryBox->setCurrentIndex(-1);
    m_ui->categoryBox->setEditText(QString());
    m_ui->dateCheck->setChecked(false);
    m_loading = false;
    // The list shows what the fields now say, the cleared conditions gone with them.
    ApplyFilter();
}

void Txstj::OpenLinePanel()
{
    Dataset *lines = dmfm->ADOQuery13;
    const int row = m_ui->lineGrid->SelectedRow();
    if (!lines->IsOpen() || row < 0 || row >= lines->RecordCount())
        return;
    if (TrimControl(lines->Value(row, QStringLiteral("h")).toString()).isEmpty())
        return;
    QMap<QString, QVariant> values;
    for (const QString &field : lines->FieldNames())
        values.insert(field, lines->Value(row, field));
    m_linePanel->ShowLine(lines->Value(row, QStringLiteral("ID")), values);
    const QRect area = m_ui->lineGrid->geometry();
    m_linePanel->move(area.right() - m_linePanel->width() - 30,
                      std::max(0, area.bottom() - m_linePanel->height() - 10));
}

void Txstj::CloseLinePanel()
{
    m_linePanel->Clear();
}

void Txstj::DeleteLine()
{
    const QVariant id = m_linePanel->LineId();
    if (!id.isValid())
        return;
    // The summary of the sale keeps its totals as settled; only the line goes.
    Db::Run(QStringLiteral("delete from data1 where ID = ?"), {id});
    LoadCurrentMonth();
    CloseLinePanel();
    QueryMonthChart(SalesRecords::Measure::Profit);
    QueryDayChart(SalesRecords::Measure::Profit);
    Msg::Info(QStringLiteral("删除销售记录成功！"));
}

void Txstj::lineGridDoubleClicked(int row)
{
    const QString number = dmfm->ADOQuery13->Value(row, QStringLiteral("h")).toString();
    if (!TrimControl(number).isEmpty())
        m_ui->saleNumberBox->setText(number);
}

void Txstj::summaryGridDoubleClicked(int row)
{
    const QString number = dmfm->ADOQuery9->Value(row, QStringLiteral("a")).toString();
    if (!TrimControl(number).isEmpty())
        m_ui->saleNumberBox->setText(number);
}

int Txstj::yearOf(const QString &text)
{
    bool ok = false;
    const int year = TrimControl(text).toInt(&ok);
    return ok ? year : 0;
}

void Txstj::QueryMonthChart(SalesRecords::Measure measure)
{
    const int year = yearOf(m_ui->monthYearBox->currentText());
    m_monthChart->SetPoints(year > 0 ? SalesRecords::MonthlyTotals(year, measure)
                                     : QList<QPair<int, double>>());
}

void Txstj::QueryDayChart(SalesRecords::Measure measure)
{
    const int year = yearOf(m_ui->dayYearBox->currentText());
    const int month = m_ui->dayMonthBox->currentIndex() + 1;
    m_dayChart->SetPoints(year > 0 && month > 0 ? SalesRecords::DailyTotals(year, month, measure)
                                                : QList<QPair<int, double>>());
}

void Txstj::ExportLines()
{
    GridExporter::Export(this, m_ui->lineGrid, QStringLiteral("销 售 报 表"),
                         TMainForm::OperatorName());
}

void Txstj::PrintLines()
{
    GridPrintOptions options;
    options.before = QStringLiteral("销 售 统 计 报 表");
    options.after << QStringLiteral("制表人：%1    日期：%2")
                         .arg(TMainForm::OperatorName(), DateText(QDate::currentDate()));
    options.afterAlignment = Qt::AlignRight;
    GridPrinter::Preview(this, m_ui->lineGrid, options);
}

bool Txstj::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->lineGrid->view() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        OpenLinePanel();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
