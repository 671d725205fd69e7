#include "data/DataSet.h"

#include "data/DataError.h"
#include "data/DbConnection.h"
#include "data/DbBackend.h"
#include "data/QueryOrder.h"
#include "data/TableNameGuard.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

// --- CalcRecord -----------------------------------------------------------------------------------------------

FieldValue CalcRecord::fieldByName(const QString& name) const
{
    const int f = m_ds.requireField(name);
    const FieldDef& def = m_ds.m_fields[size_t(f)];
    if (def.calculated)
        return FieldValue(m_calc[size_t(f - m_ds.m_storedCount)], def.type);
    return FieldValue(m_ds.recordValue(m_record, f), def.type);
}

void CalcRecord::setFieldValue(const QString& name, const QVariant& value)
{
    const int f = m_ds.requireField(name);
    const FieldDef& def = m_ds.m_fields[size_t(f)];
    if (!def.calculated)
        throw DataError(QStringLiteral("Field '%1' of %2 is not a calculated field").arg(name, m_ds.describe()));
    const std::optional<QVariant> v = toFieldValue(value, def.type);
    if (!v)
        throw DataError(QStringLiteral("The value '%1' does not fit field '%2' of %3")
                            .arg(value.toString(), name, m_ds.describe()));
    QVariant stored = *v;
    if (def.type == FieldType::Text && def.size > 0 && stored.toString().size() > def.size)
        stored = stored.toString().left(def.size);
    m_calc[size_t(f - m_ds.m_storedCount)] = stored;
}

// --- DataSet --------------------------------------------------------------------------------------------------

DataSet::DataSet(QObject* parent) : QObject(parent) {}

DataSet::~DataSet() = default;

QString DataSet::describe() const
{
    return objectName().isEmpty() ? QStringLiteral("the dataset") : QStringLiteral("dataset '%1'").arg(objectName());
}

DbConnection& DataSet::requireConnection(const QString& doing) const
{
    if (!m_connection || !m_connection->isConnected())
        throw DataError(doing + QStringLiteral(": the database connection is not open"), DataError::Kind::NotConnected);
    return *m_connection;
}

void DataSet::requireActive(const QString& doing) const
{
    if (!isActive())
        throw DataError(QStringLiteral("Cannot %1: %2 is closed").arg(doing, describe()),
                        DataError::Kind::NotConnected);
}

int DataSet::fieldIndex(const QString& name) const
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int DataSet::requireField(const QString& name) const
{
    requireActive(QStringLiteral("read field '%1'").arg(name));
    const int f = fieldIndex(name);
    if (f < 0)
        throw DataError(QStringLiteral("Field '%1' not found in %2").arg(name, describe()));
    return f;
}

void DataSet::addCalculatedField(const QString& name, FieldType type, int size)
{
    if (isActive())
        throw DataError(QStringLiteral("Cannot add calculated field '%1': %2 is open").arg(name, describe()));
    FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    f.calculated = true;
    f.readOnly = true;
    m_calcDefs.push_back(f);
}

void DataSet::open()
{
    if (isActive())
        return;
    std::vector<FieldDef> fields;
    ColumnStore values;
    std::vector<qint64> rowIds;
    readRows(fields, values, rowIds);

    const int stored = int(fields.size());
    for (const FieldDef& c : m_calcDefs)
        fields.push_back(c);
    // A filter text set while closed is checked against the fields now known. A bad one stops the opening only
    // when filtering is on; otherwise it is reported when filtering is switched on.
    FilterExpression expr;
    bool parsed = true;
    if (!m_filterText.trimmed().isEmpty()) {
        if (m_filtered) {
            expr = FilterExpression::parse(m_filterText, fields);
        } else {
            try {
                expr = FilterExpression::parse(m_filterText, fields);
            } catch (const DataError&) {
                parsed = false;
            }
        }
    }
    m_fields = std::move(fields);
    std::vector<int> keys;
    try {
        parseSortKeys(m_indexFieldNames, keys);
    } catch (...) {
        m_fields.clear();
        throw;
    }

    m_storedCount = stored;
    m_values = std::move(values);
    m_rowIds = std::move(rowIds);
    m_recordCount = m_values.rowCount();
    buildKeyIndex();
    // Calculated values are made when first asked for; a dataset nobody reads them from never holds them.
    m_calc.clear();
    m_calcValid.clear();
    m_filterExpr = std::move(expr);
    m_filterParsed = parsed;
    m_sortKeys = std::move(keys);
    m_state = State::Browse;
    m_orderSorted = false;
    ++m_generation;
    rebuildView();
    // Read inside a unit of work, the rows may hold writes the unit later undoes.
    undoOnRollback([](DataSet& ds) { ds.reread(); });
}

void DataSet::reread()
{
    const int recNo = this->recNo();
    close();
    try {
        open();
        if (recNo > 0 && recNo <= recordCount())
            moveTo(recNo - 1);
    } catch (...) {
        // Stays closed: showing rows the file no longer has would be worse.
    }
}

void DataSet::undoOnRollback(std::function<void(DataSet&)> step)
{
    if (!m_connection || m_connection->transactionDepth() == 0)
        return;
    // A dataset closed, reopened or destroyed since holds other rows; the step no longer applies to it.
    QPointer<DataSet> self(this);
    const quint64 generation = m_generation;
    m_connection->onRollback([self, generation, step = std::move(step)] {
        if (self && self->m_generation == generation)
            step(*self);
    });
}

void DataSet::close()
{
    if (!isActive())
        return;
    ++m_generation;
    m_state = State::Inactive;
    m_fields.clear();
    m_values.clear();
    m_rowIds.clear();
    m_rowIds.shrink_to_fit();
    m_calc.clear();
    m_calc.shrink_to_fit();
    m_calcValid.clear();
    m_view.clear();
    m_view.shrink_to_fit();
    m_order.clear();
    m_order.shrink_to_fit();
    orderChanged();
    viewChanged();
    dropKeyIndex();
    m_editBuffer.clear();
    m_recordCount = 0;
    m_storedCount = 0;
    m_cur = -1;
    m_bof = m_eof = true;
    emit rowsReset();
    emit currentRowChanged(-1);
}

QVariant DataSet::recordValue(int record, int field) const
{
    if (field < m_storedCount)
        return m_values.value(record, field);
    return calcValues(record)[size_t(field - m_storedCount)];
}

const std::vector<QVariant>& DataSet::calcValues(int record) const
{
    if (m_calc.size() != size_t(m_recordCount)) {
        m_calc.resize(size_t(m_recordCount));
        m_calcValid.resize(size_t(m_recordCount), 0);
    }
    std::vector<QVariant>& calc = m_calc[size_t(record)];
    if (!m_calcValid[size_t(record)]) {
        calc.assign(m_calcDefs.size(), QVariant());
        if (m_onCalcFields && !m_calcDefs.empty()) {
            CalcRecord rec(*this, record, calc);
            m_onCalcFields(rec);
        }
        m_calcValid[size_t(record)] = 1;
    }
    return calc;
}

void DataSet::parseSortKeys(const QString& names, std::vector<int>& out) const
{
    out.clear();
    for (const QString& part : names.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            continue;
        const int f = fieldIndex(name);
        if (f < 0)
            throw DataError(QStringLiteral("Cannot sort %1: field '%2' not found").arg(describe(), name));
        out.push_back(f);
    }
}

int DataSet::compareRecords(int a, int b) const
{
    for (int f : m_sortKeys) {
        const int r = f < m_storedCount
                          ? m_values.compareRows(f, a, b)
                          : compareFieldValues(recordValue(a, f), recordValue(b, f), m_fields[size_t(f)].type);
        if (r != 0)
            return r;
    }
    return 0;
}

bool DataSet::lessRecord(int a, int b) const
{
    const int r = compareRecords(a, b);
    return r != 0 ? r < 0 : a < b; // ties keep the order of reading
}

void DataSet::sortOrder()
{
    m_order.resize(size_t(m_recordCount));
    for (int r = 0; r < m_recordCount; ++r)
        m_order[size_t(r)] = r;
    if (!m_sortKeys.empty())
        std::stable_sort(m_order.begin(), m_order.end(), [this](int a, int b) { return compareRecords(a, b) < 0; });
    m_orderSorted = true;
    orderChanged();
}

void DataSet::setKeyField(const QString& name)
{
    m_keyFieldName = name;
    if (isActive())
        buildKeyIndex();
}

void DataSet::buildKeyIndex()
{
    dropKeyIndex();
    const int f = m_keyFieldName.isEmpty() ? -1 : fieldIndex(m_keyFieldName);
    if (f < 0 || f >= m_storedCount || !m_values.holdsWholeNumbers(f))
        return;
    m_keyField = f;
    m_keyIndex.reset(m_recordCount);
    // From the last record back, each goes to the front of its value's records: no walk along them.
    for (int r = m_recordCount - 1; r >= 0; --r)
        if (!m_values.isNull(r, f))
            m_keyIndex.add(r, m_values.wholeNumber(r, f));
}

void DataSet::dropKeyIndex()
{
    m_keyField = -1;
    m_keyIndex.clear();
}

std::optional<qint64> DataSet::keyOf(int record) const
{
    if (m_keyField < 0 || m_values.isNull(record, m_keyField))
        return std::nullopt;
    return m_values.wholeNumber(record, m_keyField);
}

std::optional<std::vector<int>> DataSet::keyCandidates(int field, const QVariant& value) const
{
    // A whole number against a column of whole numbers is equal exactly when the numbers are; any other value
    // (a fraction, a text) is left to the comparison that knows its rules.
    if (m_keyField < 0 || field != m_keyField || value.isNull() || !isIntegralMetaType(value.typeId()))
        return std::nullopt;
    return m_keyIndex.records(value.toLongLong());
}

std::optional<std::vector<int>> DataSet::filterCandidates() const
{
    // The conditions are all joined by And, so the rows of any one equality on the key hold every match.
    for (const FilterExpression::Condition& c : m_filterExpr.conditions())
        if (c.op == FilterExpression::Op::Equal)
            if (std::optional<std::vector<int>> found = keyCandidates(c.field, c.value))
                return found;
    return std::nullopt;
}

const std::vector<int>& DataSet::orderPositions() const
{
    if (m_orderPos.empty() && !m_order.empty()) {
        m_orderPos.assign(size_t(m_recordCount), -1);
        for (size_t i = 0; i < m_order.size(); ++i)
            m_orderPos[size_t(m_order[i])] = int(i);
    }
    return m_orderPos;
}

const std::vector<int>& DataSet::viewPositions() const
{
    if (m_viewPos.empty() && m_recordCount > 0) {
        m_viewPos.assign(size_t(m_recordCount), -1);
        for (size_t i = 0; i < m_view.size(); ++i)
            m_viewPos[size_t(m_view[i])] = int(i);
    }
    return m_viewPos;
}

void DataSet::rebuildView()
{
    if (!m_orderSorted)
        sortOrder();
    // The full order is kept sorted, so filtering it keeps the sort and needs no sort of its own.
    const bool applyFilter = m_filtered && !m_filterExpr.isEmpty();
    if (!applyFilter) {
        m_view = m_order;
    } else if (const std::optional<std::vector<int>> candidates = filterCandidates()) {
        m_view.clear();
        for (int r : *candidates)
            if (recordMatches(r))
                m_view.push_back(r);
        if (m_view.size() > 1) {
            const std::vector<int>& position = orderPositions();
            std::sort(m_view.begin(), m_view.end(),
                      [&](int a, int b) { return position[size_t(a)] < position[size_t(b)]; });
        }
    } else {
        m_view.clear();
        for (int r : m_order)
            if (recordMatches(r))
                m_view.push_back(r);
    }
    viewChanged();
    m_viewSorted = true;
    m_cur = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    emit rowsReset();
    emit currentRowChanged(m_cur);
}

bool DataSet::isNullAt(int record, int field) const
{
    return field < m_storedCount ? m_values.isNull(record, field) : recordValue(record, field).isNull();
}

bool DataSet::valueEquals(int record, int field, const QVariant& v) const
{
    return field < m_storedCount ? m_values.equalTo(record, field, v)
                                 : equalFieldValues(recordValue(record, field), v, m_fields[size_t(field)].type);
}

int DataSet::valueOrder(int record, int field, const QVariant& v) const
{
    return field < m_storedCount ? m_values.compareTo(record, field, v)
                                 : compareFieldValues(recordValue(record, field), v, m_fields[size_t(field)].type);
}

bool DataSet::recordMatches(int record) const
{
    using Op = FilterExpression::Op;
    for (const FilterExpression::Condition& c : m_filterExpr.conditions()) {
        if (isNullAt(record, c.field))
            return false;
        if (isNotANumber(c.value)) {
            if (c.op != Op::NotEqual)
                return false;
            continue;
        }
        const int order = c.op == Op::Equal || c.op == Op::NotEqual ? (valueEquals(record, c.field, c.value) ? 0 : 1)
                                                                    : valueOrder(record, c.field, c.value);
        if (!FilterExpression::holds(c.op, order))
            return false;
    }
    return true;
}

int DataSet::recordCount() const
{
    return isActive() ? int(m_view.size()) : 0;
}

int DataSet::recNo() const
{
    return isActive() && m_cur >= 0 ? m_cur + 1 : 0;
}

void DataSet::ensureBrowse()
{
    if (m_state == State::Edit)
        post();
}

void DataSet::moveTo(int pos)
{
    if (pos != m_cur) {
        m_cur = pos;
        emit currentRowChanged(m_cur);
    }
}

void DataSet::setRecNo(int recNo)
{
    requireActive(QStringLiteral("go to record %1").arg(recNo));
    if (m_view.empty() && recNo == 0)
        return;
    if (recNo < 1 || recNo > int(m_view.size()))
        throw DataError(QStringLiteral("Record number %1 is out of range in %2, which has %3 records")
                            .arg(recNo)
                            .arg(describe())
                            .arg(m_view.size()));
    ensureBrowse();
    moveTo(recNo - 1);
}

void DataSet::first()
{
    requireActive(QStringLiteral("move to the first record"));
    ensureBrowse();
    moveTo(m_view.empty() ? -1 : 0);
    m_bof = true;
    m_eof = m_view.empty();
}

void DataSet::last()
{
    requireActive(QStringLiteral("move to the last record"));
    ensureBrowse();
    moveTo(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
}

void DataSet::next()
{
    requireActive(QStringLiteral("move to the next record"));
    ensureBrowse();
    if (m_view.empty()) {
        m_bof = m_eof = true;
        return;
    }
    m_bof = m_eof = false;
    if (m_cur + 1 < int(m_view.size()))
        moveTo(m_cur + 1);
    else
        m_eof = true;
}

void DataSet::prior()
{
    requireActive(QStringLiteral("move to the previous record"));
    ensureBrowse();
    if (m_view.empty()) {
        m_bof = m_eof = true;
        return;
    }
    m_bof = m_eof = false;
    if (m_cur > 0)
        moveTo(m_cur - 1);
    else
        m_bof = true;
}

bool DataSet::locate(const QString& fieldName, const QVariant& value)
{
    requireActive(QStringLiteral("locate %1").arg(fieldName));
    const int f = requireField(fieldName);
    const FieldType type = m_fields[size_t(f)].type;
    const std::optional<QVariant> wanted = toFieldValue(value, type);
    if (!wanted)
        throw DataError(QStringLiteral("Cannot locate '%1' in field '%2' of %3: the value does not fit the field")
                            .arg(value.toString(), fieldName, describe()));
    ensureBrowse();
    int found = -1;
    if (m_viewSorted && !m_sortKeys.empty() && m_sortKeys.front() == f && !wanted->isNull()) {
        // Sorted on this field: the first match in the order is found by halving.
        const auto it = std::lower_bound(m_view.begin(), m_view.end(), *wanted,
                                         [&](int record, const QVariant& v) { return valueOrder(record, f, v) < 0; });
        if (it != m_view.end() && !isNullAt(*it, f) && valueEquals(*it, f, *wanted))
            found = int(it - m_view.begin());
    } else if (const std::optional<std::vector<int>> candidates = keyCandidates(f, *wanted)) {
        const std::vector<int>& position = viewPositions();
        for (int r : *candidates)
            if (position[size_t(r)] >= 0 && (found < 0 || position[size_t(r)] < found))
                found = position[size_t(r)];
    } else {
        for (size_t i = 0; i < m_view.size(); ++i) {
            const int r = m_view[i];
            if (wanted->isNull() ? isNullAt(r, f) : (!isNullAt(r, f) && valueEquals(r, f, *wanted))) {
                found = int(i);
                break;
            }
        }
    }
    if (found < 0)
        return false;
    moveTo(found);
    return true;
}

void DataSet::setFilter(const QString& text)
{
    if (text == m_filterText && (!isActive() || !m_filtered))
        return;
    if (!isActive()) {
        m_filterText = text;
        return;
    }
    FilterExpression expr = FilterExpression::parse(text, m_fields);
    ensureBrowse();
    m_filterText = text;
    m_filterExpr = std::move(expr);
    m_filterParsed = true;
    if (m_filtered)
        rebuildView();
}

void DataSet::setFiltered(bool on)
{
    if (!isActive()) {
        m_filtered = on;
        return;
    }
    if (on && !m_filterParsed) {
        m_filterExpr = FilterExpression::parse(m_filterText, m_fields);
        m_filterParsed = true;
    }
    ensureBrowse();
    m_filtered = on;
    rebuildView();
}

void DataSet::setIndexFieldNames(const QString& names)
{
    if (!isActive()) {
        m_indexFieldNames = names;
        return;
    }
    std::vector<int> keys;
    parseSortKeys(names, keys);
    ensureBrowse();
    m_indexFieldNames = names;
    if (keys == m_sortKeys && m_viewSorted && m_orderSorted)
        return;
    m_sortKeys = std::move(keys);
    const int currentRecord = m_cur >= 0 ? m_view[size_t(m_cur)] : -1;
    sortOrder();
    // The visible rows keep their membership (a row inserted outside the filter stays) and take the new order.
    if (m_sortKeys.empty())
        std::sort(m_view.begin(), m_view.end());
    else
        std::stable_sort(m_view.begin(), m_view.end(), [this](int a, int b) { return lessRecord(a, b); });
    viewChanged();
    m_viewSorted = true;
    if (currentRecord >= 0)
        m_cur = int(std::find(m_view.begin(), m_view.end(), currentRecord) - m_view.begin());
    emit rowsReset();
    emit currentRowChanged(m_cur);
}

FieldValue DataSet::fieldByName(const QString& name) const
{
    const int f = requireField(name);
    const FieldDef& def = m_fields[size_t(f)];
    if (m_cur < 0)
        return FieldValue(QVariant(), def.type);
    if (m_state == State::Edit && f < m_storedCount)
        return FieldValue(m_editBuffer[size_t(f)], def.type);
    return FieldValue(recordValue(m_view[size_t(m_cur)], f), def.type);
}

QVariant DataSet::displayValue(int row, int field) const
{
    if (!isActive() || row < 0 || row >= int(m_view.size()) || field < 0 || field >= int(m_fields.size()))
        return QVariant();
    if (m_state == State::Edit && row == m_cur && field < m_storedCount)
        return m_editBuffer[size_t(field)];
    return recordValue(m_view[size_t(row)], field);
}

void DataSet::edit()
{
    requireActive(QStringLiteral("edit"));
    if (m_state == State::Edit)
        return;
    if (m_cur < 0)
        throw DataError(QStringLiteral("Cannot edit: %1 has no current record").arg(describe()));
    if (writableTable().isEmpty())
        throw DataError(QStringLiteral("Cannot edit: %1 is read-only").arg(describe()));
    const int record = m_view[size_t(m_cur)];
    m_editBuffer.clear();
    for (int f = 0; f < m_storedCount; ++f)
        m_editBuffer.push_back(m_values.value(record, f));
    m_state = State::Edit;
}

void DataSet::setFieldValue(const QString& name, const QVariant& value)
{
    const int f = requireField(name);
    if (m_state != State::Edit)
        throw DataError(QStringLiteral("Cannot set field '%1': %2 is not in edit mode").arg(name, describe()));
    const FieldDef& def = m_fields[size_t(f)];
    if (def.calculated || def.readOnly)
        throw DataError(QStringLiteral("Field '%1' of %2 cannot be modified").arg(name, describe()));
    const std::optional<QVariant> v = toFieldValue(value, def.type);
    if (!v)
        throw DataError(
            QStringLiteral("The value '%1' does not fit field '%2' of %3").arg(value.toString(), name, describe()));
    m_editBuffer[size_t(f)] = *v;
}

void DataSet::post()
{
    if (m_state != State::Edit)
        return;
    const int record = m_view[size_t(m_cur)];
    QStringList columns;
    QVariantList newValues;
    QVariantList originals;
    bool sortKeyChanged = false;
    for (int f = 0; f < m_storedCount; ++f) {
        const QVariant before = m_values.value(record, f);
        const QVariant& after = m_editBuffer[size_t(f)];
        if (before.isNull() == after.isNull() &&
            (before.isNull() || compareFieldValues(before, after, m_fields[size_t(f)].type) == 0) &&
            before.typeId() == after.typeId())
            continue;
        columns << m_fields[size_t(f)].name;
        newValues << after;
        originals << before;
        if (std::find(m_sortKeys.begin(), m_sortKeys.end(), f) != m_sortKeys.end())
            sortKeyChanged = true;
    }
    const QString table = writableTable();
    if (!columns.isEmpty()) {
        try {
            m_rowIds[size_t(record)] = requireConnection(QStringLiteral("Cannot post to table '%1'").arg(table))
                                           .backend()
                                           .updateRow(table, m_rowIds[size_t(record)], columns, newValues, originals);
        } catch (const DataError& e) {
            // The refused edit is dropped, so the row shows what the file holds and the next move, filter or
            // sort does not try the same post again.
            cancel();
            if (e.kind() == DataError::Kind::Conflict)
                reloadRecord(record);
            throw;
        }
        std::vector<QVariant> before;
        for (int f = 0; f < m_storedCount; ++f)
            before.push_back(m_values.value(record, f));
        storeRecord(record, m_editBuffer, sortKeyChanged);
        undoOnRollback([record, before = std::move(before), sortKeyChanged](DataSet& ds) {
            ds.cancel();
            ds.storeRecord(record, before, sortKeyChanged);
            ds.emitRecordChanged(record);
        });
    }
    m_editBuffer.clear();
    m_state = State::Browse;
    if (!columns.isEmpty())
        emit rowChanged(m_cur);
}

void DataSet::storeRecord(int record, const std::vector<QVariant>& values, bool sortKeyChanged)
{
    if (const std::optional<qint64> key = keyOf(record))
        m_keyIndex.remove(record, *key);
    for (int f = 0; f < m_storedCount; ++f)
        m_values.set(record, f, values[size_t(f)]);
    if (m_keyField >= 0 && !m_values.holdsWholeNumbers(m_keyField))
        dropKeyIndex(); // a value of another kind: equalities on the field go back to comparing every row
    else if (const std::optional<qint64> key = keyOf(record))
        m_keyIndex.add(record, *key);
    if (size_t(record) < m_calcValid.size())
        m_calcValid[size_t(record)] = 0;
    if (sortKeyChanged) {
        m_viewSorted = false; // the row keeps its place until the next sort or filter
        m_orderSorted = false;
    }
}

void DataSet::emitRecordChanged(int record)
{
    const auto it = std::find(m_view.begin(), m_view.end(), record);
    if (it != m_view.end())
        emit rowChanged(int(it - m_view.begin()));
}

void DataSet::reloadRecord(int record)
{
    try {
        std::vector<QVariant> row;
        if (!requireConnection(QString()).backend().readRow(writableTable(), m_fields, m_rowIds[size_t(record)], row))
            return; // deleted meanwhile: what was read stays until the next opening
        storeRecord(record, row, !m_sortKeys.empty());
        emitRecordChanged(record);
    } catch (const DataError&) {
        // The error being reported says enough; the row keeps the values read before.
    }
}

void DataSet::dropInsertedRecord(int record)
{
    if (record != m_recordCount - 1) {
        reread(); // not the last row read: rows were added in another way, so read them all again
        return;
    }
    const int currentRecord = m_cur >= 0 ? m_view[size_t(m_cur)] : -1;
    if (currentRecord == record)
        cancel();
    if (m_calc.size() == size_t(m_recordCount)) {
        m_calc.pop_back();
        m_calcValid.pop_back();
    }
    if (const std::optional<qint64> key = keyOf(record))
        m_keyIndex.remove(record, *key);
    m_keyIndex.forgetFrom(record);
    m_values.removeLastRow();
    m_rowIds.pop_back();
    --m_recordCount;
    m_order.erase(std::remove(m_order.begin(), m_order.end(), record), m_order.end());
    orderChanged();
    viewChanged();
    const auto at = std::find(m_view.begin(), m_view.end(), record);
    const int removedPos = at == m_view.end() ? -1 : int(at - m_view.begin());
    if (at != m_view.end())
        m_view.erase(at);
    if (m_view.empty()) {
        m_cur = -1;
        m_bof = m_eof = true;
    } else if (currentRecord == record) {
        m_cur = std::min(removedPos, int(m_view.size()) - 1);
    } else if (removedPos >= 0 && removedPos < m_cur) {
        --m_cur;
    }
    emit rowsReset();
    emit currentRowChanged(m_cur);
}

void DataSet::cancel()
{
    if (m_state != State::Edit)
        return;
    m_editBuffer.clear();
    m_state = State::Browse;
    emit rowChanged(m_cur);
}

void DataSet::insertRecord(const QVariantList& values)
{
    requireActive(QStringLiteral("insert a record"));
    const QString table = writableTable();
    if (table.isEmpty())
        throw DataError(QStringLiteral("Cannot insert a record: %1 is read-only").arg(describe()));
    if (values.size() > m_storedCount)
        throw DataError(QStringLiteral("Cannot insert a record into %1: %2 values given for %3 fields")
                            .arg(describe())
                            .arg(values.size())
                            .arg(m_storedCount));
    ensureBrowse();
    QStringList columns;
    QVariantList converted;
    for (int f = 0; f < int(values.size()); ++f) {
        const FieldDef& def = m_fields[size_t(f)];
        const QVariant& v = values[f];
        if (v.isNull() && def.readOnly)
            continue; // auto-numbered: the database assigns it
        if (def.readOnly)
            throw DataError(QStringLiteral("Field '%1' of %2 cannot be modified").arg(def.name, describe()));
        const std::optional<QVariant> c = toFieldValue(v, def.type);
        if (!c)
            throw DataError(
                QStringLiteral("The value '%1' does not fit field '%2' of %3").arg(v.toString(), def.name, describe()));
        columns << def.name;
        converted << *c;
    }
    DbBackend& db = requireConnection(QStringLiteral("Cannot insert into table '%1'").arg(table)).backend();
    const qint64 rowId = db.insertRow(table, columns, converted);
    std::vector<QVariant> row;
    if (!db.readRow(table, m_fields, rowId, row))
        throw DataError(QStringLiteral("Cannot read back the row inserted into table '%1'").arg(table));
    const int record = m_recordCount++;
    for (int f = 0; f < m_storedCount; ++f)
        m_values.appendVariant(f, row[size_t(f)]);
    m_values.endRow();
    m_rowIds.push_back(rowId);
    if (m_keyField >= 0 && !m_values.holdsWholeNumbers(m_keyField))
        dropKeyIndex();
    else if (const std::optional<qint64> key = keyOf(record))
        m_keyIndex.add(record, *key);
    if (!m_calc.empty()) {
        m_calc.emplace_back();
        m_calcValid.push_back(0);
    }
    auto less = [this](int a, int b) { return lessRecord(a, b); };
    if (!m_sortKeys.empty() && m_orderSorted)
        m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), record, less), record);
    else
        m_order.push_back(record);
    int pos = int(m_view.size());
    if (!m_sortKeys.empty() && m_viewSorted)
        pos = int(std::upper_bound(m_view.begin(), m_view.end(), record, less) - m_view.begin());
    m_view.insert(m_view.begin() + pos, record);
    orderChanged();
    viewChanged();
    m_cur = pos;
    if (m_view.size() == 1)
        m_bof = m_eof = false;
    undoOnRollback([record](DataSet& ds) { ds.dropInsertedRecord(record); });
    emit rowsReset();
    emit currentRowChanged(m_cur);
}

// --- TableDataSet ---------------------------------------------------------------------------------------------

TableDataSet::TableDataSet(QObject* parent) : DataSet(parent) {}

void TableDataSet::setTableName(const QString& name)
{
    if (isActive())
        throw DataError(QStringLiteral("Cannot change the table of %1 while it is open").arg(describe()));
    m_tableName = name;
}

void TableDataSet::readRows(std::vector<FieldDef>& fields, ColumnStore& values, std::vector<qint64>& rowIds)
{
    const QString doing = QStringLiteral("Cannot open table '%1'").arg(m_tableName);
    if (m_participantTablesOnly)
        checkedParticipantTableName(m_tableName);
    if (m_tableName.isEmpty())
        throw DataError(QStringLiteral("Cannot open %1: no table name is set").arg(describe()));
    ReadResult r = requireConnection(doing).backend().readTable(m_tableName, m_participantTablesOnly);
    fields = std::move(r.fields);
    values = std::move(r.store);
    m_writable = !r.rowIds.empty();
    // An empty table still takes writes when it is a table; a view never does.
    if (values.rowCount() == 0)
        m_writable = std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return !f.readOnly; });
    rowIds = std::move(r.rowIds);
}

QString TableDataSet::writableTable() const
{
    return m_writable ? m_tableName : QString();
}

// --- QueryDataSet ---------------------------------------------------------------------------------------------

QueryDataSet::QueryDataSet(QObject* parent) : DataSet(parent) {}

void QueryDataSet::readRows(std::vector<FieldDef>& fields, ColumnStore& values, std::vector<qint64>& rowIds)
{
    const QString sql = m_sql.join(QLatin1Char('\n'));
    if (sql.trimmed().isEmpty())
        throw DataError(QStringLiteral("Cannot open %1: the query text is empty").arg(describe()));
    ReadResult r = requireConnection(QStringLiteral("Cannot open query \"%1\"").arg(sql.simplified()))
                       .backend()
                       .readQuery(sql, false);
    fields = std::move(r.fields);
    values = std::move(r.store);
    rowIds.clear();
    sortInPersianOrder(sql, fields, values);
}
