#pragma once

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QList>
#include <QString>

class DataSource;

// One column of a grid: the field, its title and its width in pixels (0 leaves the view's default).
struct GridColumn
{
    QString field;
    QString title;
    int width = 0;
};

// A table model over a data source for a grid: the chosen columns with their titles, texts formatted for the
// field kind (a double with up to two decimals). It follows the dataset's current row through its selection
// model, and choosing a row in the grid moves the dataset there. Every change of rows, filter, sort or values
// shows at once. Give the view this model's selectionModel().
class DataGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    DataGridModel(DataSource* source, QList<GridColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QItemSelectionModel* selectionModel() { return &m_selection; }
    const QList<GridColumn>& columns() const { return m_columns; }
    // The width a column asks for; 0 for the view's default.
    int columnWidth(int column) const;

    // The text a value shows in the grid.
    static QString displayText(const QVariant& value, int fieldType);

private:
    void datasetReset();
    void datasetRowChanged(int row);
    void datasetCurrentChanged(int row);
    void viewCurrentChanged(const QModelIndex& current);
    int fieldOf(int column) const;

    DataSource* m_source;
    QList<GridColumn> m_columns;
    QList<int> m_fieldIndexes;
    QItemSelectionModel m_selection;
    bool m_syncing = false;
};
