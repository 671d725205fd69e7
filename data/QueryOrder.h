#pragma once

#include "data/ColumnStore.h"
#include "data/Field.h"

#include <QString>

#include <vector>

// Puts a query's rows into the order its closing ORDER BY (or, without one, its closing GROUP BY) asks for, with
// texts in Persian order. The file declares no collation of ours and the server groups as it hashes, so the order
// the engines give is not the one a counsellor reads. Rows the engine called equal keep its order; a query that
// closes with neither clause, or orders by anything but its result columns, is left as it came.
void sortInPersianOrder(const QString& sql, const std::vector<FieldDef>& fields, ColumnStore& values);
