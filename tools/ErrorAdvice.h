#pragma once

#include "data/DataError.h"

#include <QString>

// What the clinic's IT helper can do about a data error met by ravlen-db, in English, naming the file the error
// names: "what to do: ..." follows the error on the command line. Empty for an error whose own text already says
// what to do.
QString adviceFor(const DataError& error);
