#include "checkout/shiftwindow.h"
#include "ui_ShiftReport.h"

#include "checkout/receipt.h"
#include "components/datagrid.h"
#include "components/gridexporter.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/mylib.h"

#include <QDateTime>
#include <QHeaderView>

namespace {

QString rule()
{
    return QString(31, QLatin1Char('-'));
}

QString sessionText(const ShiftSession &session)
{
    return QStringLiteral("%1  %2  %3 至 %4")
        .arg(session.id)
        .arg(session.operatorName, session.loginTime,
             session.logoutTime.isEmpty() ? QStringLiteral("进行中") : session.logoutTime);
}

} // namespace

QList<QPair<QString, QString>> ShiftReportFigures(const ShiftReport &r)
{
    return {{QStringLiteral("收银员"), r.operatorName},
            {QStringLiteral("上班时间"), r.loginTime},
            {QStringLiteral("交班时间"),
             r.logoutTime.isEmpty() ? QStringLiteral("进行中") : r.logoutTime},
            {QStringLiteral("销售笔数"), QString::number(r.sales)},
            {QStringLiteral("销售金额"), MoneyText(r.salesAmount)},
            {QStringLiteral("退货笔数"), QString::number(r.returns)},
            {QStringLiteral("退货金额"), MoneyText(r.returnsAmount)},
            {QStringLiteral("净销售额"), MoneyText(r.net)},
            {QStringLiteral("收到现金"), MoneyText(r.cashReceived)},
            {QStringLiteral("找零及退款"), MoneyText(r.changeGiven)},
            {QStringLiteral("应有现金"), MoneyText(r.cashExpected)},
            {QStringLiteral("利润"), MoneyText(r.profit)}};
}

QList<PrintItem> ShiftReportLayout(const ShiftReport &report, const QString &printTime)
{
    QList<PrintItem> items;
    int y = 0;
    const auto line = [&](const QString &text) {
        items << ReceiptText(y, text);
        y += 30;
    };
    items << ReceiptText(y, QStringLiteral("        交班报表"), true);
    y += 40;
    line(rule());
    line(QStringLiteral("班次：") + QString::number(report.session));
    for (const auto &[caption, value] : ShiftReportFigures(report))
        line(caption + QStringLiteral("：") + value);
    if (!report.byOperator.isEmpty()) {
        line(rule());
        for (const ShiftOperator &o : report.byOperator)
            line(QStringLiteral("%1 销售%2笔 退货%3笔 净额%4")
                     .arg(o.name)
                     .arg(o.sales)
                     .arg(o.returns)
                     .arg(MoneyText(o.net)));
    }
    line(rule());
    line(QStringLiteral("打印时间：") + printTime);
    line(QStringLiteral("交班人签字："));
    line(QStringLiteral("接班人签字："));
    line(rule());
    return items;
}

TShiftReportDialog::TShiftReportDialog(qint64 current, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TShiftReportDialog), m_current(current)
{
    m_ui->setupUi(this);
    QTableWidget *figures = m_ui->figuresTable;
    figures->setColumnCount(2);
    figures->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("数值")});
    figures->verticalHeader()->hide();
    figures->setColumnWidth(0, 160);
    figures->horizontalHeader()->setStretchLastSection(true);
    QTableWidget *operators = m_ui->operatorsTable;
    operators->setColumnCount(4);
    operators->setHorizontalHeaderLabels({QStringLiteral("操作员"), QStringLiteral("销售笔数"),
                                          QStringLiteral("退货笔数"), QStringLiteral("净额")});
    operators->verticalHeader()->hide();
    operators->horizontalHeader()->setStretchLastSection(true);
    for (const ShiftSession &session : RecentSessions())
        m_ui->sessionBox->addItem(sessionText(session), session.id);
    connect(m_ui->sessionBox, &QComboBox::activated, this, &TShiftReportDialog::sessionChosen);
    // The exporter writes a grid's rows: the figures are listed once more, as a statement
    // of bound values in a grid that is never shown.
    m_figures = new Dataset(QStringLiteral("shiftFigures"), QString(), QString(), this);
    m_figuresGrid = new DataGrid(this);
    m_figuresGrid->hide();
    QList<GridColumn> columns;
    for (const QString &field : {QStringLiteral("项目"), QStringLiteral("数值")}) {
        GridColumn column;
        column.field = field;
        column.title = field;
        column.width = 160;
        columns << column;
    }
    m_figuresGrid->SetColumns(columns);
    m_figuresGrid->SetDataset(m_figures);
    connect(m_ui->printButton, &QPushButton::clicked, this, &TShiftReportDialog::PrintReport);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &TShiftReportDialog::ExportReport);
    connect(m_ui->endShiftButton, &QPushButton::clicked, this,
            &TShiftReportDialog::endShiftButtonClicked);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

TShiftReportDialog::~TShiftReportDialog() = default;

bool TShiftReportDialog::ShowSession(qint64 session)
{
    m_report = ReadShiftReport(session);
    const int index = m_ui->sessionBox->findData(session);
    if (index >= 0)
        m_ui->sessionBox->setCurrentIndex(index);
    const QList<QPair<QString, QString>> figures =
        m_report ? ShiftReportFigures(*m_report) : QList<QPair<QString, QString>>();
    QTableWidget *table = m_ui->figuresTable;
    table->setRowCount(static_cast<int>(figures.size()));
    for (int row = 0; row < figures.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(figures[row].first));
        auto *value = new QTableWidgetItem(figures[row].second);
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, 1, value);
    }
    const QList<ShiftOperator> byOperator =
        m_report ? m_report->byOperator : QList<ShiftOperator>();
    QTableWidget *operators = m_ui->operatorsTable;
    operators->setRowCount(static_cast<int>(byOperator.size()));
    for (int row = 0; row < byOperator.size(); ++row) {
        const ShiftOperator &o = byOperator[row];
        const QStringList texts = {o.name, QString::number(o.sales), QString::number(o.returns),
                                   MoneyText(o.net)};
        for (int column = 0; column < texts.size(); ++column)
            operators->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    m_ui->operatorsCaption->setVisible(!byOperator.isEmpty());
    operators->setVisible(!byOperator.isEmpty());
    m_ui->printButton->setEnabled(m_report.has_value());
    m_ui->exportButton->setEnabled(m_report.has_value());
    // Only the shift in progress is handed over.
    m_ui->endShiftButton->setVisible(m_current != 0 && session == m_current);
    return m_report.has_value();
}

bool TShiftReportDialog::ExportReport()
{
    if (!m_report)
        return false;
    QStringList rows;
    QVariantList values;
    for (const auto &[caption, value] : ShiftReportFigures(*m_report)) {
        rows << QStringLiteral("select ? as \"项目\", ? as \"数值\"");
        values << caption << value;
    }
    for (const ShiftOperator &o : m_report->byOperator) {
        rows << QStringLiteral("select ?, ?");
        values << o.name
               << QStringLiteral("销售%1笔 退货%2笔 净额%3")
                      .arg(o.sales)
                      .arg(o.returns)
                      .arg(MoneyText(o.net));
    }
    ReopenQuery(*m_figures, rows.join(QStringLiteral(" union all ")), values);
    return GridExporter::Export(this, m_figuresGrid,
                                QStringLiteral("交班报表（班次 %1）").arg(m_report->session),
                                m_report->operatorName);
}

void TShiftReportDialog::sessionChosen(int index)
{
    ShowSession(m_ui->sessionBox->itemData(index).toLongLong());
}

void TShiftReportDialog::PrintReport()
{
    if (!m_report)
        return;
    QString error;
    if (!PrintOnReceiptPaper(
            ShiftReportLayout(*m_report, DateTimeText(QDateTime::currentDateTime())),
            QStringLiteral("交班报表"), &error))
        Msg::Error(QStringLiteral("交班报表打印失败：") + error);
}

void TShiftReportDialog::endShiftButtonClicked()
{
    if (!Msg::Question(QStringLiteral("确定交班吗？交班后由下一位收银员登录。")))
        return;
    emit EndShiftRequested();
}
