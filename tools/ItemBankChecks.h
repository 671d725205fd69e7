#pragma once

#include "tools/ItemCsv.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What an item bank looks like from the scoring's side: the score windows sum by scale (Group1) and by
// sub-scale (Group2), so an import that changes these changes every result shown afterwards.
struct BankShape
{
    int scales = 0;
    int subScales = 0;
    // Sub-scales filed under more than one scale: their scores would mix items of different scales.
    QStringList sharedSubScales;

    friend bool operator==(const BankShape&, const BankShape&) = default;
};

BankShape bankShapeOf(const QList<BankItem>& items);

// "5 scales, 15 sub-scales", with the shared sub-scales named.
QString describeShape(const BankShape& shape);

// Whether importing a bank of shape `incoming` over one of shape `current` needs the user's confirmation: a
// different number of scales or sub-scales, or a sub-scale under two scales that the current bank does not
// have. An empty current bank has no shape to keep.
bool shapeChangeNeedsForce(const BankShape& current, const BankShape& incoming);

// A hint for a CSV file whose header row is separated by semicolons (as spreadsheets set to Persian or a
// European language save it); empty when the separator looks right.
QString separatorHint(const QByteArray& csv);

// The UTF-8 byte-order mark before the text, so that a spreadsheet on Windows reads the file as UTF-8 and shows
// the Persian instead of mojibake. The importer skips it.
QByteArray withByteOrderMark(const QByteArray& utf8);
