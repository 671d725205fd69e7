#pragma once

#include <QString>

// Text cells of the CSV files the tool writes for spreadsheets. A spreadsheet runs a cell that starts with
// = + - @ (or a tab or carriage return before one) as a formula, and =HYPERLINK(...) in a name or a question
// would send data away when the file is opened. Such a cell is written after an apostrophe, which spreadsheets
// take as "this is text". A cell already starting with an apostrophe gets one more, so that taking exactly one
// off on reading gives back every text: restoredFromSpreadsheet(neutralisedForSpreadsheet(t)) == t for all t.

// The cell to write for `text`.
QString neutralisedForSpreadsheet(const QString& text);

// The text a cell written by neutralisedForSpreadsheet stands for.
QString restoredFromSpreadsheet(const QString& cell);
