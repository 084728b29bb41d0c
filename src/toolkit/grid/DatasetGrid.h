#pragma once
#include <QList>
#include <QPointer>
#include <QTableView>

namespace rek2::db {
class Dataset;
}

namespace rek2::toolkit {

class DatasetModel;

// A grid over a query dataset: whole rows selected, several at once, a horizontal
// scroll bar, and a current row that follows the dataset's current row and moves it.
// The grid can be detached from its data source while an action rewrites the tables
// underneath; detached it shows nothing and leaves the dataset alone.
class DatasetGrid : public QTableView {
    Q_OBJECT
public:
    explicit DatasetGrid(QWidget* parent = nullptr);
    ~DatasetGrid() override;

    // The data source; the grid is attached to it.
    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const { return m_dataset; }
    void setAttached(bool attached);
    bool isAttached() const;
    DatasetModel* datasetModel() const { return m_model; }

    // The dataset rows (visible-row numbers) selected in the grid, ascending.
    QList<int> selectedDatasetRows() const;

    // "Arial CE", bold, 8 points; the default family where that font is missing.
    static QFont gridFont();

signals:
    // The grid lost the focus to another control of its window.
    void exited();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void followDataset(int row);
    void applyColumnWidths();

    DatasetModel* m_model;
    QPointer<db::Dataset> m_dataset;
    bool m_following = false;
};

} // namespace rek2::toolkit
