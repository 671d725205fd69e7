#pragma once

#include <QString>
#include <QStringList>

// A database file as earlier builds made it: today's tables, but every text column declares COLLATE PERSIAN
// (so the question tables copied from Questions declare it too), written with the collation registered and in
// write-ahead-log mode, closed cleanly. The stock sqlite3 shell cannot group, sort or compare its text columns.
//
// It holds the seven scored items of two scales and three sub-scales (الف, ج; ب, پ, ی) and two participants:
// file number 5 with table AAAAAAAAAAAAAAA, every item answered, and 6 with table BBBBBBBBBBBBBBB, none answered.
void makeEarlierDatabaseFile(const QString& fileName);

// Today's schema statements with COLLATE PERSIAN after the type of every text column.
QStringList earlierSchemaStatements();
