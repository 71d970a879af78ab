#pragma once
// The shift report window: the figures of the session in progress or of a past one,
// printed on the receipt printer; ending the shift from it.

#include "checkout/shift.h"
#include "components/printing.h"

#include <QDialog>
#include <memory>

class DataGrid;
class Dataset;

namespace Ui {
class TShiftReportDialog;
}

// The report as receipt lines, top to bottom, in the receipt's face.
QList<PrintItem> ShiftReportLayout(const ShiftReport &report, const QString &printTime);

// The report's figures as caption and value, in the order shown and printed.
QList<QPair<QString, QString>> ShiftReportFigures(const ShiftReport &report);

class TShiftReportDialog : public QDialog
{
    Q_OBJECT
public:
    // `current` is the session in progress (0 for none): only it can be ended here.
    explicit TShiftReportDialog(qint64 current, QWidget *parent = nullptr);
    ~TShiftReportDialog() override;

    // Shows the report of a logged session; false when there is no such session.
    bool ShowSession(qint64 session);
    std::optional<ShiftReport> Report() const { return m_report; }
    // Prints the report shown on the receipt printer; a failure is reported.
    void PrintReport();
    // Exports the report's figures to a workbook like the other lists; true when written.
    bool ExportReport();

signals:
    // The cashier confirmed ending the shift in progress.
    void EndShiftRequested();

private:
    void sessionChosen(int index);
    void endShiftButtonClicked();

    std::unique_ptr<Ui::TShiftReportDialog> m_ui;
    qint64 m_current = 0;
    std::optional<ShiftReport> m_report;
    Dataset *m_figures = nullptr; // the figures as rows, for the exporter
    DataGrid *m_figuresGrid = nullptr;
};
