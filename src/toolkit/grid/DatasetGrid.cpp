#include "toolkit/grid/DatasetGrid.h"

#include "db/Dataset.h"
#include "toolkit/grid/DatasetModel.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>

namespace rek2::toolkit {

DatasetGrid::DatasetGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new DatasetModel(this))
{
    setFont(gridFont());
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    setShowGrid(true);
    setCornerButtonEnabled(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    // Fixed row heights: a grid of 100,000 rows never measures its rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();

    connect(m_model, &DatasetModel::datasetCurrentChanged, this, &DatasetGrid::followDataset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DatasetGrid::applyColumnWidths);
}

DatasetGrid::~DatasetGrid() = default;

QFont DatasetGrid::gridFont()
{
    QFont f = QApplication::font();
    const QString family = QStringLiteral("Arial CE");
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        f.setFamily(family);
    f.setBold(true);
    f.setPointSize(8);
    return f;
}

void DatasetGrid::setDataset(db::Dataset* dataset)
{
    m_dataset = dataset;
    m_model->setDataset(dataset);
}

void DatasetGrid::setAttached(bool attached)
{
    m_model->setDataset(attached ? m_dataset.data() : nullptr);
}

bool DatasetGrid::isAttached() const
{
    return m_model->dataset() != nullptr && m_model->dataset() == m_dataset;
}

QList<int> DatasetGrid::selectedDatasetRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DatasetGrid::followDataset(int row)
{
    if (m_following || !selectionModel())
        return;
    m_following = true;
    const QModelIndex idx = row >= 0 ? m_model->index(row, qMax(0, currentIndex().column())) : QModelIndex();
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    if (idx.isValid())
        scrollTo(idx);
    m_following = false;
}

void DatasetGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    db::Dataset* ds = m_model->dataset();
    if (m_following || !ds || !current.isValid() || current.row() == previous.row())
        return;
    if (ds->recNo() == current.row())
        return;
    m_following = true;
    ds->setRecNo(current.row());
    m_following = false;
}

void DatasetGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    // Another window taking over (a message box, a menu) is not leaving the grid.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit exited();
}

void DatasetGrid::applyColumnWidths()
{
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int pad = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 6;
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, m_model->displayChars(c) * charWidth + pad);
}

} // namespace rek2::toolkit
