#pragma once
// The sales records window: archived sale lines and sale summaries with live filters,
// deletion of single lines, export and print-out (page "销售明细"), and the monthly and
// daily bar charts of profit and sales (page "销售统计").

#include "sales/salesrecords.h"

#include <QDialog>
#include <memory>

class SalesChart;
class SaleLinePanel;

namespace Ui {
class Txstj;
}

class Txstj : public QDialog
{
    Q_OBJECT
public:
    explicit Txstj(QWidget *parent = nullptr);
    ~Txstj() override;

    // "本 月": the current calendar month's lines and summaries; refills the categories.
    void LoadCurrentMonth();
    // "全部记录": every line and summary; the filter fields keep their text.
    void LoadAll();
    // "查 询": the lines matching the filter fields, the summaries matching the sale number.
    void ApplyFilter();
    // "当 天": ticks the date range and applies the filter.
    void FilterToday();
    // "清空条件": empties the name, code, spec/model and category fields, unticks the
    // date range and applies what is left of the filter.
    void ClearConditions();
    // The filter fields as typed.
    SalesFilter Filter() const;

    // The line panel of the current sale line (Delete key); nothing for an empty list.
    void OpenLinePanel();
    // Deletes the line shown in the line panel, then shows the current month.
    void DeleteLine();
    void CloseLinePanel();

    // Context menu of the line grid.
    void ExportLines();
    void PrintLines();

    // Statistics page.
    void QueryMonthChart(SalesRecords::Measure measure);
    void QueryDayChart(SalesRecords::Measure measure);
    // Charts show for the administrator only.
    void ApplyOperator(const QString &operatorName);
    // The selected summary's sale in the return window; its session's shift report.
    void ReturnSelectedSale();
    void ShowSelectedSession();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildGrids();
    void buildCharts();
    void buildMenu();
    void connectFilters();
    void refillCategories();
    void refillYears();
    // Opens both lists; `always` re-runs the summaries even when their statement stands.
    void showLines(const SqlStatement &lines, const SqlStatement &summaries, bool always);
    void lineGridDoubleClicked(int row);
    void summaryGridDoubleClicked(int row);
    static int yearOf(const QString &text);

    std::unique_ptr<Ui::Txstj> m_ui;
    SaleLinePanel *m_linePanel = nullptr;
    SalesChart *m_monthChart = nullptr;
    SalesChart *m_dayChart = nullptr;
    bool m_loading = false;       // fields are being set by the window itself
    QVariantList m_summaryParams; // values the summary list was last opened with
};

extern Txstj *xstj;
