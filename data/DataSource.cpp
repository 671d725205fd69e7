#include "data/DataSource.h"

#include "data/DataSet.h"

DataSource::DataSource(QObject* parent) : QObject(parent) {}
