#pragma once

#include "data/ColumnStore.h"
#include "data/Field.h"
#include "data/FieldValue.h"
#include "data/Filter.h"
#include "data/RowIndex.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

class DbConnection;
class DataSet;

// The row a calculated-field handler fills: it reads the stored fields and sets the calculated ones. A text set
// on a calculated field is cut to that field's size.
class CalcRecord
{
public:
    FieldValue fieldByName(const QString& name) const;
    void setFieldValue(const QString& name, const QVariant& value);

private:
    friend class DataSet;
    CalcRecord(const DataSet& ds, int record, std::vector<QVariant>& calcOut)
        : m_ds(ds), m_record(record), m_calc(calcOut)
    {
    }
    const DataSet& m_ds;
    int m_record;
    std::vector<QVariant>& m_calc;
};

// A dataset with a static in-memory cursor over the rows read when it was opened. Moving, sorting, filtering and
// locating work on memory; edits and inserts are written to the database file at once. Errors throw DataError.
//
// Record numbers count the visible rows from 1 in their current order; an empty or closed dataset reads 0.
// Begin and end flags: opening, switching the filter on or off, or changing the filter text while it is on moves
// to the first visible row and sets begin (end too when nothing is visible); next/prior clear both and set end/begin
// when there was no row to move to; going to a record number or locating keeps both flags.
class DataSet : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Inactive,
        Browse,
        Edit
    };

    using CalcFieldsHandler = std::function<void(CalcRecord&)>;

    explicit DataSet(QObject* parent = nullptr);
    ~DataSet() override;

    void setConnection(DbConnection* connection) { m_connection = connection; }
    DbConnection* connection() const { return m_connection; }

    // Reads the rows. Opening an open dataset does nothing.
    void open();
    // Drops the rows and any unposted edit; filter text, filtering and sort stay set for the next opening.
    void close();
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    // Fields: the stored columns in column order, then the calculated fields.
    const std::vector<FieldDef>& fields() const { return m_fields; }
    int fieldIndex(const QString& name) const; // any letter case; -1 when there is none

    // Calculated fields are declared before opening; the handler is called for a row whenever its calculated
    // values are needed after it was read or changed.
    void addCalculatedField(const QString& name, FieldType type, int size);
    void setOnCalcFields(CalcFieldsHandler handler) { m_onCalcFields = std::move(handler); }

    int recordCount() const;
    int recNo() const;
    // 1 to recordCount moves there; on an empty dataset 0 is accepted and does nothing; anything else throws.
    void setRecNo(int recNo);
    bool isEmpty() const { return recordCount() == 0; }
    void first();
    void next();
    void prior();
    void last();
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    // The first visible row, in the current order, whose field equals the value; moves there and returns true.
    // Not found: the position stays and the result is false.
    bool locate(const QString& fieldName, const QVariant& value);

    // A whole-number field whose rows are kept by value (the profiles' file number): an equality filter on it and
    // locating by it then look only at the rows holding the value, whatever the number of rows. Results, record
    // numbers and flags are those of a dataset without it. Empty for none; set while open, it applies at once.
    void setKeyField(const QString& name);
    QString keyField() const { return m_keyFieldName; }

    QString filter() const { return m_filterText; }
    // Throws on a bad text and then keeps the earlier one.
    void setFilter(const QString& text);
    bool filtered() const { return m_filtered; }
    void setFiltered(bool on);

    // Field names separated by ';', sorted ascending; empty keeps the order of reading. The current row stays
    // current.
    QString indexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString& names);

    // The current row's value; throws for a closed dataset or an unknown field. An empty dataset gives empty values.
    FieldValue fieldByName(const QString& name) const;

    // Editing the current row: edit, set values, post (written at once) or cancel. Moving, filtering or sorting
    // while editing posts first.
    void edit();
    void setFieldValue(const QString& name, const QVariant& value);
    void post();
    void cancel();

    // Inserts a row with values in column order (missing trailing values and an auto-numbered column left empty
    // get the database's defaults) and writes it at once. The new row becomes current: under a sort it takes its
    // place in the order, otherwise it comes last; under a filter it stays visible even if it does not match,
    // until the filter is applied again.
    void insertRecord(const QVariantList& values);

    // For the grid adapter: the value of a field in the visible row `row` (0-based).
    QVariant displayValue(int row, int field) const;
    // 0-based current visible row, -1 when none.
    int currentRow() const { return m_cur; }

signals:
    // Rows, their order, filter or the open state changed: views read everything again.
    void rowsReset();
    // The values of one visible row changed.
    void rowChanged(int row);
    // The current row moved.
    void currentRowChanged(int row);

protected:
    // Reads the rows; fills fields, values and row identities.
    virtual void readRows(std::vector<FieldDef>& fields, ColumnStore& values, std::vector<qint64>& rowIds) = 0;
    // The table edits are written to; empty when rows cannot be written back.
    virtual QString writableTable() const { return QString(); }
    QString describe() const;
    DbConnection& requireConnection(const QString& doing) const;

private:
    friend class CalcRecord;

    void requireActive(const QString& doing) const;
    int requireField(const QString& name) const;
    QVariant recordValue(int record, int field) const;
    const std::vector<QVariant>& calcValues(int record) const;
    // Sorts and filters every row afresh and moves to the first visible one, setting begin (and end when none).
    void rebuildView();
    // A stored or calculated value of a row against a value of the field's kind.
    bool isNullAt(int record, int field) const;
    bool valueEquals(int record, int field, const QVariant& v) const;
    int valueOrder(int record, int field, const QVariant& v) const;
    bool recordMatches(int record) const;
    void sortOrder();
    // The key field's index, made afresh from the rows held; none when the field is missing or holds a value that
    // is no whole number.
    void buildKeyIndex();
    void dropKeyIndex();
    std::optional<qint64> keyOf(int record) const;
    // The records that can hold `value` in `field`, when the key index can tell; every other record does not.
    std::optional<std::vector<int>> keyCandidates(int field, const QVariant& value) const;
    std::optional<std::vector<int>> filterCandidates() const;
    // Record to position in the full order and in the visible rows (-1 when not visible), made when first asked
    // for after a change of either.
    const std::vector<int>& orderPositions() const;
    const std::vector<int>& viewPositions() const;
    void orderChanged() { m_orderPos.clear(); }
    void viewChanged() { m_viewPos.clear(); }
    bool lessRecord(int a, int b) const;
    int compareRecords(int a, int b) const;
    void parseSortKeys(const QString& names, std::vector<int>& out) const;
    void ensureBrowse();
    void moveTo(int pos);
    // Closes and opens again, keeping the record number where it still exists; left closed when it fails.
    void reread();
    // Inside a unit of work on the connection: `step` runs on this dataset if the unit is undone, unless the
    // dataset has been closed or reopened since.
    void undoOnRollback(std::function<void(DataSet&)> step);
    void storeRecord(int record, const std::vector<QVariant>& values, bool sortKeyChanged);
    void emitRecordChanged(int record);
    // Reads one row again from the file, after another program changed it.
    void reloadRecord(int record);
    // Takes back a row this dataset inserted (the last one it holds).
    void dropInsertedRecord(int record);

    DbConnection* m_connection = nullptr;
    State m_state = State::Inactive;
    quint64 m_generation = 0; // counts openings and closings
    std::vector<FieldDef> m_fields;
    std::vector<FieldDef> m_calcDefs;
    int m_storedCount = 0;
    ColumnStore m_values;
    std::vector<qint64> m_rowIds;
    int m_recordCount = 0;
    mutable std::vector<std::vector<QVariant>> m_calc;
    mutable std::vector<char> m_calcValid;
    CalcFieldsHandler m_onCalcFields;

    std::vector<int> m_order; // every record, in the sort order
    bool m_orderSorted = false;
    std::vector<int> m_view; // the visible records, in the sort order
    int m_cur = -1;
    bool m_bof = true;
    bool m_eof = true;

    QString m_filterText;
    bool m_filtered = false;
    FilterExpression m_filterExpr;
    bool m_filterParsed = true;

    QString m_keyFieldName;
    int m_keyField = -1; // the field the key index holds; -1 while there is none
    RowIndex m_keyIndex;
    mutable std::vector<int> m_orderPos;
    mutable std::vector<int> m_viewPos;

    QString m_indexFieldNames;
    std::vector<int> m_sortKeys;
    bool m_viewSorted = true;

    std::vector<QVariant> m_editBuffer;
};

// A dataset over one table (or view) of the database.
class TableDataSet : public DataSet
{
    Q_OBJECT

public:
    explicit TableDataSet(QObject* parent = nullptr);
    QString tableName() const { return m_tableName; }
    // Throws while the dataset is open: close it first.
    void setTableName(const QString& name);
    // Restricts the dataset to participant question tables: every opening, however the name was set, refuses a
    // name the program never makes and a view, because rows posted here must land in the participant's copy.
    void setParticipantTablesOnly(bool on) { m_participantTablesOnly = on; }

protected:
    void readRows(std::vector<FieldDef>& fields, ColumnStore& values, std::vector<qint64>& rowIds) override;
    QString writableTable() const override;

private:
    QString m_tableName;
    bool m_writable = false;
    bool m_participantTablesOnly = false;
};

// A dataset over the rows of an SQL query, whose text is a list of lines sent joined by line breaks. A change of
// the text takes effect at the next opening. Query rows are read-only.
class QueryDataSet : public DataSet
{
    Q_OBJECT

public:
    explicit QueryDataSet(QObject* parent = nullptr);
    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }

protected:
    void readRows(std::vector<FieldDef>& fields, ColumnStore& values, std::vector<qint64>& rowIds) override;

private:
    QStringList m_sql;
};
