#include "components/datagrid.h"

#include "data/dataset.h"
#include "data/mylib.h"

#include <QDate>
#include <QDateTime>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const QColor kBorder(0x9A, 0xA6, 0xB4);
const QColor kGridLine(0xD2, 0xD6, 0xDC);
const QColor kSelection(0x2F, 0x6F, 0xC6);
const int kCellPadding = 5;

Qt::Alignment horizontalPart(Qt::Alignment alignment)
{
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    return horizontal ? horizontal : Qt::AlignLeft;
}

} // namespace

namespace DataGridDetail {

// The grid's own columns over the dataset's rows: column i shows field columns[i], so
// hidden columns and the column order never depend on the dataset's field order.
class Model : public QAbstractTableModel
{
public:
    explicit Model(QObject *parent) : QAbstractTableModel(parent) {}

    QList<GridColumn> columns;
    QList<DataGrid::SortMarker> markers;
    QColor titleBackground = DataGrid::SkyBlue();
    QColor titleForeground = Qt::black;
    QColor rowColor = Qt::white;
    QColor alternateColor;
    QColor footerColor = QColor(0xF2, 0xF2, 0xF2);
    // True while the dataset is between an "about to" signal and its completion.
    bool changing = false;
    std::function<void()> afterReset;
    std::function<void()> afterChange;

    Dataset *dataset() const { return m_dataset; }

    void setDataset(Dataset *dataset)
    {
        beginResetModel();
        for (const auto &connection : std::as_const(m_connections))
            disconnect(connection);
        m_connections.clear();
        m_dataset = dataset;
        if (dataset)
            connectDataset(dataset);
        requestSums();
        refresh();
        endResetModel();
        if (afterReset)
            afterReset();
    }

    void setColumns(const QList<GridColumn> &list)
    {
        beginResetModel();
        columns = list;
        markers = QList<DataGrid::SortMarker>(list.size(), DataGrid::SortMarker::None);
        requestSums();
        refresh();
        endResetModel();
    }

    int fieldColumn(int column) const { return m_fieldIndex.value(column, -1); }
    double footerValue(int column) const { return m_footerValues.value(column, 0.0); }

    QString footerText(int column) const
    {
        if (column < 0 || column >= columns.size())
            return {};
        const GridColumn &c = columns[column];
        if (c.footer == GridColumn::Footer::None)
            return {};
        if (c.footer == GridColumn::Footer::Text)
            return c.footerFormat;
        if (m_footerPending.value(column, false))
            return {};
        const double value = footerValue(column);
        const QString money = QStringLiteral("0.00");
        if (const qsizetype at = c.footerFormat.indexOf(money); at >= 0)
            return QString(c.footerFormat).replace(at, money.size(), MoneyText(value));
        if (c.footerFormat.contains(QStringLiteral("%1")))
            return c.footerFormat.arg(NumberText(value));
        return NumberText(value);
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_dataset ? 0 : m_dataset->RecordCount();
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(columns.size());
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || !m_dataset || index.column() >= columns.size())
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return DataGrid::CellText(m_dataset->Value(index.row(), fieldColumn(index.column())));
        case Qt::EditRole:
            return m_dataset->Value(index.row(), fieldColumn(index.column()));
        case Qt::TextAlignmentRole:
            return static_cast<int>(horizontalPart(columns[index.column()].alignment) |
                                    Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return rowBackground(index.row());
        case Qt::ForegroundRole: {
            // Rows painted in a colour of their own keep a readable text whatever the skin.
            const QColor background = rowBackground(index.row());
            if (!background.isValid())
                return {};
            return background.lightness() > 128 ? QColor(0x20, 0x20, 0x20) : QColor(Qt::white);
        }
        default:
            return {};
        }
    }

    QColor rowBackground(int row) const
    {
        return (row % 2 == 1 && alternateColor.isValid()) ? alternateColor : rowColor;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < columns.size())
            return DataGrid::SplitTitle(columns[section].title).second;
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    void refresh()
    {
        m_fieldIndex.clear();
        for (const GridColumn &c : std::as_const(columns))
            m_fieldIndex << (m_dataset ? m_dataset->FieldIndex(c.field) : -1);
        refreshFooters();
    }

    // Sums are the dataset's own, computed by the engine over its whole statement; a
    // large result's sums follow the rows when they are ready.
    void refreshFooters()
    {
        m_footerValues = QList<double>(columns.size(), 0.0);
        m_footerPending = QList<bool>(columns.size(), false);
        const int rows = m_dataset ? m_dataset->RecordCount() : 0;
        for (int column = 0; column < columns.size(); ++column) {
            if (columns[column].footer == GridColumn::Footer::Count) {
                m_footerPending[column] = m_dataset && !m_dataset->CountReady();
                m_footerValues[column] = rows;
                continue;
            }
            if (columns[column].footer != GridColumn::Footer::Sum || fieldColumn(column) < 0)
                continue;
            m_footerPending[column] = !m_dataset->SumsReady();
            m_footerValues[column] = m_dataset->Sum(columns[column].field);
        }
    }

    void requestSums()
    {
        if (!m_dataset)
            return;
        QStringList fields;
        for (const GridColumn &c : std::as_const(columns))
            if (c.footer == GridColumn::Footer::Sum)
                fields << c.field;
        m_dataset->RequestSums(fields);
    }

    void changed()
    {
        refreshFooters();
        if (afterChange)
            afterChange();
    }

    void connectDataset(Dataset *d)
    {
        m_connections << connect(d, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            changing = true;
            beginResetModel();
        });
        m_connections << connect(d, &QAbstractItemModel::modelReset, this, [this] {
            refresh();
            endResetModel();
            changing = false;
            if (afterReset)
                afterReset();
        });
        // A layout change (rows moved by the dataset) is shown as a reset: the grid keeps
        // no per-row state that would be worth carrying over.
        m_connections << connect(d, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
            changing = true;
            beginResetModel();
        });
        m_connections << connect(d, &QAbstractItemModel::layoutChanged, this, [this] {
            refresh();
            endResetModel();
            changing = false;
            if (afterReset)
                afterReset();
        });
        m_connections << connect(
            d, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                if (!columns.isEmpty())
                    emit dataChanged(index(topLeft.row(), 0),
                                     index(bottomRight.row(), columnCount() - 1));
                changed();
            });
        m_connections << connect(d, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                                 [this](const QModelIndex &, int first, int last) {
                                     changing = true;
                                     beginRemoveRows({}, first, last);
                                 });
        m_connections << connect(d, &QAbstractItemModel::rowsRemoved, this, [this] {
            endRemoveRows();
            changing = false;
            changed();
        });
        m_connections << connect(d, &QAbstractItemModel::rowsAboutToBeInserted, this,
                                 [this](const QModelIndex &, int first, int last) {
                                     changing = true;
                                     beginInsertRows({}, first, last);
                                 });
        m_connections << connect(d, &QAbstractItemModel::rowsInserted, this, [this] {
            endInsertRows();
            changing = false;
            changed();
        });
        m_connections << connect(d, &Dataset::SumsChanged, this, [this] { changed(); });
        m_connections << connect(d, &Dataset::CountChanged, this, [this] { changed(); });
        // The dataset may go before the grid: show nothing from then on.
        m_connections << connect(d, &QObject::destroyed, this, [this] {
            m_dataset = nullptr;
            beginResetModel();
            refresh();
            endResetModel();
            changing = false;
            if (afterReset)
                afterReset();
        });
    }

    Dataset *m_dataset = nullptr;
    QList<QMetaObject::Connection> m_connections;
    QList<int> m_fieldIndex;
    QList<double> m_footerValues;
    QList<bool> m_footerPending; // sum still being computed
};

// Titles: one row of captions, or a top band over the captions when a column has a
// two-level title. Sort markers are drawn at the right of the caption.
class Header : public QHeaderView
{
public:
    explicit Header(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
    {
        setSectionsClickable(true);
        setSectionsMovable(false);
        setHighlightSections(false);
        setMinimumSectionSize(12);
        setSectionResizeMode(QHeaderView::Interactive);
    }

    bool pressed() const { return m_pressed; }

    bool twoLevel() const
    {
        const Model *m = gridModel();
        if (!m)
            return false;
        for (int i = 0; i < m->columns.size(); ++i)
            if (m->columns[i].visible && !DataGrid::SplitTitle(m->columns[i].title).first.isEmpty())
                return true;
        return false;
    }

    int bandHeight() const { return twoLevel() ? height() / 2 : 0; }

    // Whether the last mouse release was on the top band above `column`: clicks there
    // belong to the group, not to the column, and do not sort.
    bool releasedOnBand(int column) const
    {
        const Model *m = gridModel();
        if (!m || column < 0 || column >= m->columns.size())
            return false;
        return !DataGrid::SplitTitle(m->columns[column].title).first.isEmpty() &&
               m_releasePos.y() < bandHeight();
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        m_pressed = true;
        QHeaderView::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        m_releasePos = event->position().toPoint();
        QHeaderView::mouseReleaseEvent(event);
        m_pressed = false;
    }

    void paintEvent(QPaintEvent *) override
    {
        const Model *m = gridModel();
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), m ? m->titleBackground : DataGrid::SkyBlue());
        if (!m)
            return;
        const QColor line = m->titleBackground.darker(135);
        const int h = viewport()->height();
        const int band = bandHeight();
        p.setFont(font());

        int groupEnd = -1; // last visual index of the band being drawn
        for (int visual = 0; visual < count(); ++visual) {
            const int logical = logicalIndex(visual);
            if (logical >= m->columns.size() || isSectionHidden(logical))
                continue;
            const GridColumn &c = m->columns[logical];
            const auto [top, lower] = DataGrid::SplitTitle(c.title);
            const int x = sectionViewportPosition(logical);
            const int w = sectionSize(logical);

            if (!top.isEmpty() && visual > groupEnd) {
                // The band spans this column and the visible columns after it with the
                // same top text.
                int right = x + w;
                groupEnd = visual;
                for (int next = visual + 1; next < count(); ++next) {
                    const int l = logicalIndex(next);
                    if (l >= m->columns.size())
                        break;
                    if (isSectionHidden(l))
                        continue;
                    if (DataGrid::SplitTitle(m->columns[l].title).first != top)
                        break;
                    right = sectionViewportPosition(l) + sectionSize(l);
                    groupEnd = next;
                }
                const QRect bandRect(x, 0, right - x, band);
                p.fillRect(bandRect, m->titleBackground);
                drawEdges(p, bandRect, line);
                p.setPen(m->titleForeground);
                const QRect text = bandRect.adjusted(kCellPadding, 0, -kCellPadding, 0);
                p.drawText(text, Qt::AlignCenter,
                           fontMetrics().elidedText(top, Qt::ElideRight, text.width()));
            }

            const QRect cell = top.isEmpty() ? QRect(x, 0, w, h) : QRect(x, band, w, h - band);
            const QColor background =
                c.titleBackground.isValid() ? c.titleBackground : m->titleBackground;
            const QColor foreground =
                c.titleForeground.isValid() ? c.titleForeground : m->titleForeground;
            p.fillRect(cell, background);
            drawEdges(p, cell, line);

            const DataGrid::SortMarker marker =
                m->markers.value(logical, DataGrid::SortMarker::None);
            QRect text = cell.adjusted(kCellPadding, 0, -kCellPadding, 0);
            if (marker != DataGrid::SortMarker::None) {
                const int size = std::max(7, fontMetrics().height() / 2);
                const QRect mark(cell.right() - kCellPadding - size, cell.center().y() - size / 2,
                                 size, size);
                drawMarker(p, mark, marker, foreground);
                // Keep the caption centred unless it would run into the marker.
                if (fontMetrics().horizontalAdvance(lower) / 2 > text.width() / 2 - size - 4)
                    text.setRight(mark.left() - 3);
            }
            p.setPen(foreground);
            p.drawText(text, Qt::AlignCenter,
                       fontMetrics().elidedText(lower, Qt::ElideRight, text.width()));
        }
    }

private:
    const Model *gridModel() const { return dynamic_cast<const Model *>(model()); }

    static void drawEdges(QPainter &p, const QRect &r, const QColor &color)
    {
        p.setPen(color);
        p.drawLine(r.topRight(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
    }

    static void drawMarker(QPainter &p, const QRect &r, DataGrid::SortMarker marker,
                           const QColor &color)
    {
        const double left = r.left();
        const double right = r.left() + r.width();
        const double middle = r.left() + r.width() / 2.0;
        const double height = r.width() * 0.6;
        const double top = r.top() + (r.height() - height) / 2.0;
        QPainterPath path;
        if (marker == DataGrid::SortMarker::Down) {
            path.moveTo(left, top);
            path.lineTo(right, top);
            path.lineTo(middle, top + height);
        } else {
            path.moveTo(left, top + height);
            path.lineTo(right, top + height);
            path.lineTo(middle, top);
        }
        path.closeSubpath();
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(path, color);
        p.restore();
    }

    bool m_pressed = false;
    QPoint m_releasePos;
};

// The footer row under the rows, its cells aligned with the header's sections.
class Footer : public QWidget
{
public:
    Footer(QWidget *parent, Model *model, QTableView *view)
        : QWidget(parent), m_model(model), m_view(view)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_model->footerColor);
        const QColor line = m_model->footerColor.darker(140);
        p.setPen(line);
        p.drawLine(0, 0, width() - 1, 0);

        // Cells follow the view's viewport, including its horizontal scrolling.
        const QWidget *viewport = m_view->viewport();
        const int origin = viewport->mapTo(parentWidget(), QPoint()).x() - x();
        p.setClipRect(QRect(origin, 0, viewport->width(), height()));
        const QHeaderView *header = m_view->horizontalHeader();
        for (int column = 0; column < m_model->columns.size(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const QRect cell(origin + header->sectionViewportPosition(column), 1,
                             header->sectionSize(column), height() - 1);
            p.setPen(line);
            p.drawLine(cell.topRight(), cell.bottomRight());
            const QString text = m_model->footerText(column);
            if (text.isEmpty())
                continue;
            const QRect inner = cell.adjusted(kCellPadding, 0, -kCellPadding, 0);
            p.setPen(Qt::black);
            p.drawText(inner, horizontalPart(m_model->columns[column].alignment) | Qt::AlignVCenter,
                       fontMetrics().elidedText(text, Qt::ElideRight, inner.width()));
        }
    }

private:
    Model *m_model;
    QTableView *m_view;
};

// Cells with thin grid lines and without the dotted focus frame (the whole row is the
// selection).
class Delegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt(option);
        opt.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, opt, index);
        painter->save();
        painter->setPen(kGridLine);
        painter->drawLine(opt.rect.topRight(), opt.rect.bottomRight());
        painter->drawLine(opt.rect.bottomLeft(), opt.rect.bottomRight());
        painter->restore();
    }
};

// A table view whose single selection cannot be emptied with Ctrl-click: the current
// row of the dataset always shows.
class View : public QTableView
{
public:
    using QTableView::QTableView;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override
    {
        QItemSelectionModel::SelectionFlags flags = QTableView::selectionCommand(index, event);
        if (selectionMode() == SingleSelection && index.isValid() &&
            (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)))
            flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
        return flags;
    }
};

} // namespace DataGridDetail

using namespace DataGridDetail;

DataGrid::DataGrid(QWidget *parent) : QWidget(parent)
{
    m_model = new Model(this);
    m_view = new View(this);
    m_view->setModel(m_model);
    m_header = new Header(m_view);
    m_view->setHorizontalHeader(m_header);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setMinimumSectionSize(1);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->setItemDelegate(new Delegate(m_view));
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    m_view->setTabKeyNavigation(false);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);
    m_header->installEventFilter(this);

    // The selected row stays clearly marked while the focus is elsewhere (the cashier
    // types into the code box, not into the grid).
    QPalette palette = m_view->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, kSelection);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    m_view->setPalette(palette);

    m_footer = new Footer(this, m_model, m_view);
    m_footer->installEventFilter(this);
    // The view's own horizontal scroll bar would sit between the rows and the footer;
    // this one below the footer mirrors it.
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_hbar->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_footer);
    layout->addWidget(m_hbar);

    m_model->afterReset = [this] { datasetReset(); };
    m_model->afterChange = [this] { m_footer->update(); };

    connect(m_header, &QHeaderView::sectionClicked, this, &DataGrid::titleClicked);
    connect(m_header, &QHeaderView::sectionResized, this, &DataGrid::sectionResized);
    connect(m_header, &QHeaderView::geometriesChanged, m_footer, qOverload<>(&QWidget::update));
    QScrollBar *own = m_view->horizontalScrollBar();
    connect(own, &QScrollBar::rangeChanged, this, &DataGrid::syncScrollBar);
    connect(own, &QScrollBar::valueChanged, this, [this](int value) {
        m_hbar->setValue(value);
        m_footer->update();
    });
    connect(m_hbar, &QScrollBar::valueChanged, own, &QScrollBar::setValue);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { viewCurrentRowChanged(current.row()); });
    connect(m_view, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && index.row() != m_rowAtPress)
            emit RowClicked(index.row());
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit RowDoubleClicked(index.row());
    });

    updateMetrics();
}

DataGrid::~DataGrid()
{
    // The children (model, view) are deleted after this body runs: keep the model's
    // signals from calling back into a grid that is going away.
    m_model->afterReset = nullptr;
    m_model->afterChange = nullptr;
    for (const auto &connection : std::as_const(m_datasetConnections))
        disconnect(connection);
}

QColor DataGrid::SkyBlue()
{
    return QColor(0xA6, 0xCA, 0xF0);
}

void DataGrid::SetColumns(const QList<GridColumn> &columns)
{
    m_model->setColumns(columns);
    m_weights.clear();
    for (const GridColumn &c : columns)
        m_weights << std::max(1, c.width);
    updateMetrics();
    datasetReset();
}

QList<GridColumn> DataGrid::columns() const
{
    return m_model->columns;
}

void DataGrid::SetDataset(Dataset *dataset)
{
    if (dataset == m_dataset)
        return;
    for (const auto &connection : std::as_const(m_datasetConnections))
        disconnect(connection);
    m_datasetConnections.clear();
    m_dataset = dataset;
    ClearSortMarkers();
    m_model->setDataset(dataset);
    if (dataset) {
        m_datasetConnections << connect(dataset, &Dataset::CurrentRowChanged, this,
                                        &DataGrid::datasetCurrentRowChanged);
        datasetCurrentRowChanged(dataset->CurrentRow());
    }
}

Dataset *DataGrid::dataset() const
{
    return m_dataset;
}

int DataGrid::columnOf(const QString &field) const
{
    for (int i = 0; i < m_model->columns.size(); ++i)
        if (m_model->columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString DataGrid::FooterText(const QString &field) const
{
    return m_model->footerText(columnOf(field));
}

double DataGrid::FooterValue(const QString &field) const
{
    return m_model->footerValue(columnOf(field));
}

DataGrid::SortMarker DataGrid::Marker(const QString &field) const
{
    return m_model->markers.value(columnOf(field), SortMarker::None);
}

void DataGrid::ClearSortMarkers()
{
    std::fill(m_model->markers.begin(), m_model->markers.end(), SortMarker::None);
    m_header->viewport()->update();
}

void DataGrid::titleClicked(int column)
{
    if (!m_dataset || column < 0 || column >= m_model->columns.size() ||
        m_header->releasedOnBand(column))
        return;
    const QString field = m_model->columns[column].field;
    if (m_dataset->FieldIndex(field) < 0)
        return;
    const SortMarker before = m_model->markers[column];
    m_dataset->Sort(field, before == SortMarker::Down ? Qt::AscendingOrder : Qt::DescendingOrder);
    ClearSortMarkers();
    m_model->markers[column] = before == SortMarker::Down ? SortMarker::Up : SortMarker::Down;
    m_header->viewport()->update();
    emit TitleClicked(field);
}

void DataGrid::datasetReset()
{
    // A reset without a sort field is a new query or the fetched order again.
    if (!m_dataset || m_dataset->SortField().isEmpty())
        ClearSortMarkers();
    applyColumns();
    m_footer->update();
}

void DataGrid::datasetCurrentRowChanged(int row)
{
    if (m_syncing)
        return;
    QItemSelectionModel *selection = m_view->selectionModel();
    const QScopedValueRollback guard(m_syncing, true);
    if (row < 0 || row >= m_model->rowCount()) {
        selection->clear();
        return;
    }
    if (m_view->currentIndex().row() == row && selection->isRowSelected(row, {}))
        return;
    int column = m_view->currentIndex().column();
    if (column < 0 || m_view->isColumnHidden(column)) {
        column = 0;
        while (column < m_model->columnCount() - 1 && m_view->isColumnHidden(column))
            ++column;
    }
    const QModelIndex index = m_model->index(row, column);
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

void DataGrid::viewCurrentRowChanged(int row)
{
    if (m_syncing || m_model->changing || !m_dataset)
        return;
    const QScopedValueRollback guard(m_syncing, true);
    m_dataset->SetCurrentRow(row);
}

int DataGrid::SelectedRow() const
{
    if (!m_dataset)
        return -1;
    const int row = m_dataset->CurrentRow();
    return row >= 0 && row < m_dataset->RecordCount() ? row : -1;
}

QList<int> DataGrid::SelectedRows() const
{
    QList<int> rows;
    const QItemSelection selection = m_view->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection)
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows << row;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void DataGrid::SetMultiSelect(bool multi)
{
    m_view->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                                   : QAbstractItemView::SingleSelection);
    if (!multi) {
        const QModelIndex current = m_view->currentIndex();
        if (current.isValid())
            m_view->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
        else
            m_view->selectionModel()->clearSelection();
    }
}

void DataGrid::SetFontPixelSize(int pixels)
{
    m_fontPixels = std::max(6, pixels);
    updateMetrics();
}

void DataGrid::SetTitleColors(const QColor &background, const QColor &foreground)
{
    m_model->titleBackground = background;
    m_model->titleForeground = foreground;
    m_header->viewport()->update();
}

void DataGrid::SetRowColors(const QColor &row, const QColor &alternate)
{
    m_model->rowColor = row;
    m_model->alternateColor = alternate;
    m_view->viewport()->update();
}

void DataGrid::SetFooterColor(const QColor &background)
{
    m_model->footerColor = background;
    m_footer->update();
}

void DataGrid::SetFooterVisible(bool visible)
{
    m_footer->setVisible(visible);
}

QTableView *DataGrid::view() const
{
    return m_view;
}

QPair<QString, QString> DataGrid::SplitTitle(const QString &title)
{
    const qsizetype bar = title.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {QString(), title};
    return {title.left(bar), title.mid(bar + 1)};
}

QString DataGrid::CellText(const QVariant &value)
{
    if (value.isNull())
        return {};
    const QString dateFormat = QStringLiteral("yyyy-MM-dd");
    const QString dateTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return NumberText(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(dateFormat);
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        return dateTime.time() == QTime(0, 0) ? dateTime.date().toString(dateFormat)
                                              : dateTime.toString(dateTimeFormat);
    }
    case QMetaType::QString: {
        // Dates come back from the engine as ISO text; a date-time at midnight is a date.
        const QString text = value.toString();
        if (text.size() >= 19 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-') &&
            (text[10] == QLatin1Char('T') || text[10] == QLatin1Char(' '))) {
            const QDateTime dateTime =
                QDateTime::fromString(text.left(19).replace(10, 1, QLatin1Char('T')), Qt::ISODate);
            if (dateTime.isValid())
                return dateTime.time() == QTime(0, 0) ? dateTime.date().toString(dateFormat)
                                                      : dateTime.toString(dateTimeFormat);
        }
        return text;
    }
    default:
        return value.toString();
    }
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FontChange &&
        (watched == m_view || watched == m_header || watched == m_footer)) {
        // A style sheet polishing the grid puts back the font the widget had when it was
        // first polished; the grid's own font and row heights are put back over it.
        const QFont own = gridFont(watched != m_view);
        const QFont now = static_cast<QWidget *>(watched)->font();
        if (!m_settingFont && (now.pixelSize() != own.pixelSize() || now.bold() != own.bold() ||
                               now.family() != own.family()))
            updateMetrics();
        return false;
    }
    if (watched == m_view->viewport()) {
        if (event->type() == QEvent::Resize) {
            // Only a change of width refits: the scroll bar below the footer appearing
            // must not undo the widths that made it appear.
            const auto *resize = static_cast<QResizeEvent *>(event);
            if (resize->size().width() != resize->oldSize().width())
                fitColumns();
        } else if (event->type() == QEvent::MouseButtonPress ||
                   event->type() == QEvent::MouseButtonDblClick) {
            m_rowAtPress = SelectedRow();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DataGrid::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(kBorder);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void DataGrid::applyColumns()
{
    {
        // Hiding and showing resize sections; those are not the user's resizes.
        const QScopedValueRollback guard(m_fitting, true);
        for (int i = 0; i < m_model->columns.size(); ++i)
            m_view->setColumnHidden(i, !m_model->columns[i].visible);
    }
    fitColumns();
}

void DataGrid::fitColumns()
{
    if (m_fitting)
        return;
    const int available = m_view->viewport()->width();
    double total = 0;
    for (int i = 0; i < m_model->columns.size(); ++i)
        if (m_model->columns[i].visible)
            total += m_weights.value(i, 1.0);
    if (available <= 0 || total <= 0)
        return;
    const QScopedValueRollback guard(m_fitting, true);
    // Cumulative rounding: the widths add up to the viewport width exactly.
    double sum = 0;
    int edge = 0;
    for (int i = 0; i < m_model->columns.size(); ++i) {
        if (!m_model->columns[i].visible)
            continue;
        sum += m_weights.value(i, 1.0);
        const int next = static_cast<int>(std::lround(available * sum / total));
        m_header->resizeSection(i, std::max(next - edge, m_header->minimumSectionSize()));
        edge = next;
    }
    m_footer->update();
}

void DataGrid::sectionResized(int column, int oldSize, int newSize)
{
    m_footer->update();
    if (m_fitting || !m_header->pressed() || newSize <= 0 || column >= m_model->columns.size())
        return;
    // The user dragged a column border: the columns to its right (or, for the last
    // column, to its left) give or take the difference so the columns keep filling the
    // grid. Their new widths become the proportions of later fits.
    QList<int> after;
    QList<int> before;
    for (int i = 0; i < m_model->columns.size(); ++i)
        if (i != column && !m_view->isColumnHidden(i))
            (i > column ? after : before) << i;
    const QList<int> &others = after.isEmpty() ? before : after;
    int current = 0;
    for (int i : others)
        current += m_header->sectionSize(i);
    const int minimum = m_header->minimumSectionSize();
    const int target =
        std::max(current - (newSize - oldSize), minimum * static_cast<int>(others.size()));
    {
        const QScopedValueRollback guard(m_fitting, true);
        int sum = 0;
        int edge = 0;
        for (int i : others) {
            sum += m_header->sectionSize(i);
            const int next =
                current > 0
                    ? static_cast<int>(std::lround(static_cast<double>(target) * sum / current))
                    : 0;
            m_header->resizeSection(i, std::max(next - edge, minimum));
            edge = next;
        }
    }
    for (int i = 0; i < m_model->columns.size(); ++i)
        if (!m_view->isColumnHidden(i))
            m_weights[i] = m_header->sectionSize(i);
}

QFont DataGrid::gridFont(bool bold) const
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(m_fontPixels);
    font.setBold(bold);
    return font;
}

void DataGrid::updateMetrics()
{
    const QFont font = gridFont(false);
    const QFont bold = gridFont(true);
    m_settingFont = true;
    m_view->setFont(font);
    m_header->setFont(bold);
    m_footer->setFont(bold);
    m_settingFont = false;

    const int rowHeight = QFontMetrics(font).height() + 10;
    const int titleLine = QFontMetrics(bold).height() + 10;
    m_view->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_header->setFixedHeight(m_header->twoLevel() ? 2 * titleLine - 4 : titleLine + 2);
    m_footer->setFixedHeight(rowHeight + 1);
    m_view->doItemsLayout();
    fitColumns();
}

void DataGrid::syncScrollBar()
{
    const QScrollBar *own = m_view->horizontalScrollBar();
    m_hbar->setRange(own->minimum(), own->maximum());
    m_hbar->setPageStep(own->pageStep());
    m_hbar->setSingleStep(own->singleStep());
    m_hbar->setValue(own->value());
    m_hbar->setVisible(own->maximum() > own->minimum());
    m_footer->update();
}
