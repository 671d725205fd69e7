#include "data/DataGridModel.h"

#include "data/DataSet.h"
#include "data/DataSource.h"

#include <QLocale>

DataGridModel::DataGridModel(DataSource* source, QList<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns)), m_selection(this)
{
    if (DataSet* ds = m_source ? m_source->dataSet() : nullptr) {
        connect(ds, &DataSet::rowsReset, this, &DataGridModel::datasetReset);
        connect(ds, &DataSet::rowChanged, this, &DataGridModel::datasetRowChanged);
        connect(ds, &DataSet::currentRowChanged, this, &DataGridModel::datasetCurrentChanged);
    }
    connect(&m_selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { viewCurrentChanged(current); });
    datasetReset();
}

int DataGridModel::fieldOf(int column) const
{
    return column >= 0 && column < m_fieldIndexes.size() ? m_fieldIndexes[column] : -1;
}

int DataGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_source || !m_source->dataSet())
        return 0;
    return m_source->dataSet()->recordCount();
}

int DataGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString DataGridModel::displayText(const QVariant& value, int fieldType)
{
    if (value.isNull())
        return QString();
    switch (FieldType(fieldType)) {
    case FieldType::Double: {
        QString s = QString::number(value.toDouble(), 'f', 2);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
        if (s == QLatin1String("-0"))
            s = QStringLiteral("0");
        return s;
    }
    case FieldType::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        if (value.typeId() == QMetaType::Double)
            return displayText(value, int(FieldType::Double));
        return value.toString();
    }
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_source || !m_source->dataSet())
        return QVariant();
    const DataSet* ds = m_source->dataSet();
    const int field = fieldOf(index.column());
    if (field < 0)
        return QVariant();
    const FieldType type = ds->fields()[size_t(field)].type;
    switch (role) {
    case Qt::DisplayRole:
        return displayText(ds->displayValue(index.row(), field), int(type));
    case Qt::EditRole:
        return ds->displayValue(index.row(), field);
    default:
        return QVariant();
    }
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    return QVariant();
}

int DataGridModel::columnWidth(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns[column].width : 0;
}

void DataGridModel::datasetReset()
{
    beginResetModel();
    m_fieldIndexes.clear();
    if (DataSet* ds = m_source ? m_source->dataSet() : nullptr)
        for (const GridColumn& c : m_columns)
            m_fieldIndexes << (ds->isActive() ? ds->fieldIndex(c.field) : -1);
    endResetModel();
    if (DataSet* ds = m_source ? m_source->dataSet() : nullptr)
        datasetCurrentChanged(ds->currentRow());
}

void DataGridModel::datasetRowChanged(int row)
{
    if (row >= 0 && row < rowCount() && !m_columns.isEmpty())
        emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

void DataGridModel::datasetCurrentChanged(int row)
{
    m_syncing = true;
    if (row >= 0 && row < rowCount() && !m_columns.isEmpty())
        m_selection.setCurrentIndex(index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        m_selection.clear();
    m_syncing = false;
}

void DataGridModel::viewCurrentChanged(const QModelIndex& current)
{
    if (m_syncing || !current.isValid())
        return;
    DataSet* ds = m_source ? m_source->dataSet() : nullptr;
    if (!ds || !ds->isActive() || current.row() == ds->currentRow())
        return;
    // Reached from the event loop: an error here must not escape, and the row is always in range. Moving can
    // still fail (a pending edit the file refuses); the grid then goes back to the row the dataset kept.
    try {
        ds->setRecNo(current.row() + 1);
    } catch (const std::exception&) {
        datasetCurrentChanged(ds->currentRow());
    }
}
