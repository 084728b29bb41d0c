#pragma once
#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

namespace rek2::db {
class Dataset;
}

namespace rek2::toolkit {

// A table model over a query dataset: one column per visible field in field order,
// captioned with the field's label and showing Dataset::displayText. The model keeps
// nothing per row; it only remembers how many rows the views were last told about, so
// that a dataset that changes while frozen (disableControls) never shows the views a row
// count they were not told about.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);
    ~DatasetModel() override;

    // The dataset shown; nullptr shows nothing (a detached data source).
    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const { return m_dataset; }

    // The dataset's field index behind a column, -1 when out of range.
    int fieldIndex(int column) const;
    // The column that shows the field, -1 when hidden or missing.
    int columnOfField(const QString& name) const;
    // Width of the column in characters: the field's display width, else one chosen
    // from its label and kind.
    int displayChars(int column) const;
    bool isNumeric(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The dataset moved its current row (-1: none); also after every reset.
    void datasetCurrentChanged(int row);

private:
    void onAboutToReset();
    void onReset();
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    void onCurrentChanged(int row);
    void readShape();
    void connectDataset();

    QPointer<db::Dataset> m_dataset;
    QVector<int> m_columns; // visible field indexes
    int m_rows = 0;
    bool m_resetting = false;
    QVector<QMetaObject::Connection> m_connections;
};

} // namespace rek2::toolkit
