#include "toolkit/grid/DatasetModel.h"

#include "db/Dataset.h"

namespace rek2::toolkit {

namespace {
bool numericValue(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}
} // namespace

DatasetModel::DatasetModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

DatasetModel::~DatasetModel()
{
    for (const auto& c : m_connections)
        disconnect(c);
}

void DatasetModel::setDataset(db::Dataset* dataset)
{
    if (dataset == m_dataset)
        return;
    if (!m_resetting) // otherwise the dataset's own reset has begun it
        beginResetModel();
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_dataset = dataset;
    connectDataset();
    readShape();
    m_resetting = false;
    endResetModel();
    emit datasetCurrentChanged(m_dataset ? m_dataset->recNo() : -1);
}

void DatasetModel::connectDataset()
{
    if (!m_dataset)
        return;
    db::Dataset* d = m_dataset;
    m_connections << connect(d, &db::Dataset::modelAboutToReset, this, &DatasetModel::onAboutToReset)
                  << connect(d, &db::Dataset::modelReset, this, &DatasetModel::onReset)
                  << connect(d, &db::Dataset::rowInserted, this, &DatasetModel::onRowInserted)
                  << connect(d, &db::Dataset::rowRemoved, this, &DatasetModel::onRowRemoved)
                  << connect(d, &db::Dataset::rowChanged, this, &DatasetModel::onRowChanged)
                  << connect(d, &db::Dataset::currentChanged, this, &DatasetModel::onCurrentChanged)
                  << connect(d, &QObject::destroyed, this, [this] {
                         // The pointer is already cleared; forget the rows the views know of.
                         if (!m_resetting)
                             beginResetModel();
                         m_columns.clear();
                         m_rows = 0;
                         m_resetting = false;
                         endResetModel();
                     });
}

void DatasetModel::readShape()
{
    m_columns.clear();
    m_rows = 0;
    if (!m_dataset || !m_dataset->active())
        return;
    const auto& fields = m_dataset->fields();
    for (int f = 0; f < fields.size(); ++f) {
        if (fields[f].visible)
            m_columns << f;
    }
    m_rows = m_dataset->recordCount();
}

void DatasetModel::onAboutToReset()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void DatasetModel::onReset()
{
    // A dataset that was frozen announces only the end of its reset.
    if (!m_resetting)
        beginResetModel();
    readShape();
    m_resetting = false;
    endResetModel();
}

void DatasetModel::onRowInserted(int row)
{
    if (m_resetting || !m_dataset)
        return;
    row = qBound(0, row, m_rows);
    beginInsertRows({}, row, row);
    m_rows = m_dataset->recordCount();
    endInsertRows();
}

void DatasetModel::onRowRemoved(int row)
{
    if (m_resetting || !m_dataset || row < 0 || row >= m_rows)
        return;
    beginRemoveRows({}, row, row);
    m_rows = m_dataset->recordCount();
    endRemoveRows();
}

void DatasetModel::onRowChanged(int row)
{
    if (m_resetting || row < 0 || row >= m_rows || m_columns.isEmpty())
        return;
    emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

void DatasetModel::onCurrentChanged(int row)
{
    emit datasetCurrentChanged(row < m_rows ? row : -1);
}

int DatasetModel::fieldIndex(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns[column] : -1;
}

int DatasetModel::columnOfField(const QString& name) const
{
    if (!m_dataset)
        return -1;
    return int(m_columns.indexOf(m_dataset->fieldIndex(name)));
}

bool DatasetModel::isNumeric(int column) const
{
    const int f = fieldIndex(column);
    return f >= 0 && m_dataset && m_dataset->fields().at(f).kind == db::FieldKind::Number;
}

int DatasetModel::displayChars(int column) const
{
    const int f = fieldIndex(column);
    if (f < 0 || !m_dataset)
        return 0;
    const db::FieldDef& d = m_dataset->fields().at(f);
    if (d.displayWidth > 0)
        return d.displayWidth;
    const int label = int((d.label.isEmpty() ? d.name : d.label).size());
    int body = 10;
    if (d.kind == db::FieldKind::Text && d.size > 0)
        body = qMin(d.size, 30);
    else if (!d.displayFormat.isEmpty())
        body = 14;
    return qMax(label, body);
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!m_dataset || !index.isValid() || index.row() >= m_rows)
        return {};
    const int f = fieldIndex(index.column());
    if (f < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_dataset->displayText(index.row(), f);
    case Qt::TextAlignmentRole: {
        const bool right = m_dataset->fields().at(f).kind == db::FieldKind::Number
            || (m_dataset->fields().at(f).kind == db::FieldKind::Other
                && numericValue(m_dataset->valueAt(index.row(), f)));
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    const int f = fieldIndex(section);
    if (f < 0 || !m_dataset)
        return {};
    const db::FieldDef& d = m_dataset->fields().at(f);
    if (role == Qt::DisplayRole)
        return d.label.isEmpty() ? d.name : d.label;
    if (role == Qt::ToolTipRole)
        return d.name;
    return {};
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace rek2::toolkit
