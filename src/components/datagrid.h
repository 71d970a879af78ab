#pragma once
// The program's data grid: shows a Dataset read-only with formatted cells, one- or
// two-level column titles that sort the rows in memory, a footer row with sums that
// stays below the rows, and a current row kept in step with the dataset's.

#include <QColor>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

class Dataset;
class QScrollBar;
class QTableView;

namespace DataGridDetail {
class Model;
class Header;
class Footer;
} // namespace DataGridDetail

struct GridColumn
{
    // Dataset field shown in the column (matched without regard to case).
    QString field;
    // "销售单|流水号" is a two-level title: the top band "销售单" spans the adjacent
    // visible columns with the same top text; "流水号" is the column's own title.
    QString title;
    // Design width: the visible columns share the grid's width in proportion.
    int width = 100;
    Qt::Alignment alignment = Qt::AlignCenter;
    // Sum: sum of the column's numbers; Count: number of rows; Text: footerFormat as is.
    enum class Footer { None, Sum, Count, Text } footer = Footer::None;
    // Sum and Count: "" = general number text (NumberText, "2.5"); a text holding "0.00"
    // has it replaced by the money text ("共0.00元" -> "共15.80元"); otherwise a text
    // holding "%1" has it replaced by the general text ("共%1条" -> "共3条").
    QString footerFormat;
    // Hidden columns keep their footer (read by code through FooterText/FooterValue).
    bool visible = true;
    // Invalid colours use the grid's title colours (SetTitleColors).
    QColor titleBackground;
    QColor titleForeground;
};

class DataGrid : public QWidget
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    void SetColumns(const QList<GridColumn> &columns);
    QList<GridColumn> columns() const;
    // Shows the dataset (not owned; nullptr shows nothing). Footers are recomputed on
    // every reset, change, insertion and removal of its rows.
    void SetDataset(Dataset *dataset);
    Dataset *dataset() const;

    // The footer's displayed text ("15.80", "3"); empty for a field without footer.
    QString FooterText(const QString &field) const;
    // Exact sum (Sum), row count (Count), 0 otherwise.
    double FooterValue(const QString &field) const;

    // Title clicks: the clicked column's marker before the click decides the order
    // (Down -> ascending, None or Up -> descending); then it advances None -> Down ->
    // Up -> Down and the other columns' markers are cleared. Down is drawn as ▼ (shown
    // after a descending sort), Up as ▲. Reopening the dataset clears the markers.
    enum class SortMarker { None, Down, Up };
    SortMarker Marker(const QString &field) const;
    void ClearSortMarkers();

    // Dataset row of the current row, -1 if none.
    int SelectedRow() const;
    // Selected dataset rows in ascending order.
    QList<int> SelectedRows() const;
    // Several rows selectable with Ctrl/Shift-click; off at first.
    void SetMultiSelect(bool multi);

    // Appearance. Cells use the family "宋体" at this pixel size (16 at first); titles
    // and footer are bold. Row and title heights follow the font.
    void SetFontPixelSize(int pixels);
    void SetTitleColors(const QColor &background, const QColor &foreground = Qt::black);
    // Rows alternate between the two colours (an invalid alternate repeats the first).
    void SetRowColors(const QColor &row, const QColor &alternate = QColor());
    void SetFooterColor(const QColor &background);
    void SetFooterVisible(bool visible);
    static QColor SkyBlue();

    QTableView *view() const;

    // Top and lower part of a title: "销售单|流水号" -> ("销售单", "流水号"),
    // "商品编码" -> ("", "商品编码").
    static QPair<QString, QString> SplitTitle(const QString &title);
    // The text a cell shows for a value: numbers in general text (15.8), dates as
    // yyyy-mm-dd (date-times with a time of day add hh:mm:ss), nulls empty.
    static QString CellText(const QVariant &value);

signals:
    // Emitted after the sort has been applied.
    void TitleClicked(const QString &field);
    // A mouse click that made another row current.
    void RowClicked(int row);
    void RowDoubleClicked(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int columnOf(const QString &field) const;
    void titleClicked(int column);
    void datasetReset();
    void datasetCurrentRowChanged(int row);
    void viewCurrentRowChanged(int row);
    void applyColumns();
    void fitColumns();
    void sectionResized(int column, int oldSize, int newSize);
    QFont gridFont(bool bold) const;
    void updateMetrics();
    void syncScrollBar();

    DataGridDetail::Model *m_model = nullptr;
    DataGridDetail::Header *m_header = nullptr;
    DataGridDetail::Footer *m_footer = nullptr;
    QTableView *m_view = nullptr;
    QScrollBar *m_hbar = nullptr;
    QPointer<Dataset> m_dataset;
    QList<QMetaObject::Connection> m_datasetConnections;
    QList<double> m_weights; // design widths, updated when the user resizes a column
    int m_fontPixels = 16;
    bool m_fitting = false;
    bool m_settingFont = false; // the grid is setting its own fonts
    bool m_syncing = false;     // the current row is being copied between view and dataset
    int m_rowAtPress = -1;
};
