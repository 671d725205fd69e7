#pragma once

#include <QObject>
#include <QPointer>

class DataSet;

// The link between a dataset and the grids that show it.
class DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(QObject* parent = nullptr);
    void setDataSet(DataSet* dataSet) { m_dataSet = dataSet; }
    DataSet* dataSet() const { return m_dataSet; }

private:
    QPointer<DataSet> m_dataSet;
};
