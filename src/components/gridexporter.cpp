#include "components/gridexporter.h"

#include "components/datagrid.h"
#include "components/messages.h"
#include "data/dataset.h"
#include "data/mylib.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QUrl>

#include <xlsxwriter.h>

namespace {

// Exports and print-outs show the exact count and sums, even of a list whose count or
// footers are still being computed aside.
void waitForFigures(const DataGrid *grid)
{
    if (Dataset *dataset = grid->dataset(); dataset && dataset->IsOpen()) {
        dataset->WaitForCount();
        dataset->WaitForSums();
    }
}

} // namespace

GridColumnsView VisibleGridColumns(const DataGrid *grid)
{
    waitForFigures(grid);
    GridColumnsView view;
    for (const GridColumn &column : grid->columns()) {
        if (!column.visible)
            continue;
        view.fields << column.field;
        view.titles << DataGrid::SplitTitle(column.title).second;
        view.widths << column.width;
        view.alignments << column.alignment;
        view.footers << grid->FooterText(column.field);
        if (column.footer == GridColumn::Footer::Sum || column.footer == GridColumn::Footer::Count)
            view.footerValues << QVariant(grid->FooterValue(column.field));
        else
            view.footerValues << QVariant();
    }
    return view;
}

int GridRowCount(const DataGrid *grid)
{
    waitForFigures(grid);
    const Dataset *dataset = grid->dataset();
    return dataset && dataset->IsOpen() ? dataset->RecordCount() : 0;
}

void ForEachGridRow(const DataGrid *grid, const QStringList &fields,
                    const std::function<bool(const QVariantList &values)> &row)
{
    const Dataset *dataset = grid->dataset();
    if (!dataset || !dataset->IsOpen())
        return;
    // The statement in the grid's current order, read forward, not the grid's row cache.
    DatasetReader reader = dataset->Reader();
    const QStringList names = reader.FieldNames();
    QList<int> columns;
    for (const QString &field : fields) {
        int found = -1;
        for (qsizetype i = 0; i < names.size() && found < 0; ++i)
            if (names[i].compare(field, Qt::CaseInsensitive) == 0)
                found = static_cast<int>(i);
        columns << found;
    }
    QVariantList values(fields.size());
    while (reader.Next()) {
        for (qsizetype c = 0; c < columns.size(); ++c)
            values[c] = reader.Value(columns[c]);
        if (!row(values))
            return;
    }
}

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// One cell: numbers as numbers, nulls and empty texts as empty cells, the rest as text.
void writeCell(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, const QVariant &value)
{
    if (value.isNull())
        return;
    if (isNumber(value)) {
        worksheet_write_number(sheet, row, column, value.toDouble(), nullptr);
        return;
    }
    const QString text = DataGrid::CellText(value);
    if (!text.isEmpty())
        worksheet_write_string(sheet, row, column, text.toUtf8().constData(), nullptr);
}

void writeText(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, const QString &text)
{
    worksheet_write_string(sheet, row, column, text.toUtf8().constData(), nullptr);
}

} // namespace

namespace GridExporter {

WriteResult WriteWorkbook(const QString &path, const DataGrid *grid, const QString &title,
                          const QString &author, const QDateTime &now,
                          const std::function<bool(int done, int total)> &progress)
{
    const GridColumnsView view = VisibleGridColumns(grid);
    const int total = GridRowCount(grid);
    // The workbook is built beside the target and renamed over it when complete, so a
    // cancelled or failed export never leaves a partial file or loses the old one.
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    const QByteArray partialName = QFile::encodeName(partial);
    const QByteArray tmpDir = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go straight to disk: bounded memory
    options.tmpdir = const_cast<char *>(tmpDir.constData());
    lxw_workbook *book = workbook_new_opt(partialName.constData(), &options);
    if (!book)
        return WriteResult::Failed;
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    if (!sheet) {
        workbook_close(book);
        QFile::remove(partial);
        return WriteResult::Failed;
    }

    writeText(sheet, 0, 3, title);
    writeText(sheet, 1, 0, QStringLiteral("制表人：") + author);
    writeText(sheet, 1, 5, QStringLiteral("制表时间：") + DateTimeText(now));
    for (qsizetype c = 0; c < view.titles.size(); ++c) {
        writeText(sheet, 2, static_cast<lxw_col_t>(c), view.titles[c]);
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             view.widths[c] / 7.0, nullptr);
    }

    lxw_row_t row = 3;
    bool cancelled = false;
    ForEachGridRow(grid, view.fields, [&](const QVariantList &values) {
        for (qsizetype c = 0; c < values.size(); ++c)
            writeCell(sheet, row, static_cast<lxw_col_t>(c), values[c]);
        ++row;
        const int done = static_cast<int>(row - 3);
        if (progress && (done % 256 == 0 || done == total) && !progress(done, total)) {
            cancelled = true;
            return false;
        }
        return true;
    });
    for (qsizetype c = 0; c < view.footers.size() && !cancelled; ++c) {
        if (view.footerValues[c].isValid())
            worksheet_write_number(sheet, row, static_cast<lxw_col_t>(c),
                                   view.footerValues[c].toDouble(), nullptr);
        else if (!view.footers[c].isEmpty())
            writeText(sheet, row, static_cast<lxw_col_t>(c), view.footers[c]);
    }

    const lxw_error closed = workbook_close(book);
    if (cancelled || closed != LXW_NO_ERROR) {
        QFile::remove(partial);
        return cancelled ? WriteResult::Cancelled : WriteResult::Failed;
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

bool Export(QWidget *parent, DataGrid *grid, const QString &title, const QString &author)
{
    QString path = Msg::SaveFileName(parent, QStringLiteral("导出Excel"), QString(),
                                     QStringLiteral("Excel 工作簿 (*.xlsx)"));
    if (path.trimmed().isEmpty() || GridRowCount(grid) == 0)
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    if (QFileInfo::exists(path) &&
        !Msg::Confirm(QStringLiteral("已存在文件（%1），是否覆盖？").arg(path)))
        return false;

    QProgressDialog dialog(QStringLiteral("正在导出数据，请稍候......"), QStringLiteral("取消"), 0,
                           GridRowCount(grid), parent, Qt::FramelessWindowHint | Qt::Dialog);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(300);
    const WriteResult result = WriteWorkbook(
        path, grid, title, author, QDateTime::currentDateTime(), [&dialog](int done, int) {
            dialog.setValue(done);
            QApplication::processEvents();
            return !dialog.wasCanceled();
        });
    dialog.reset();
    if (result == WriteResult::Failed) {
        Msg::Error(QStringLiteral("无法写入文件（%1）。").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (result != WriteResult::Written)
        return false;
    Msg::OpenUrl(QUrl::fromLocalFile(path));
    return true;
}

} // namespace GridExporter
