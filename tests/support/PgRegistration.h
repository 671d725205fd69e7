#pragma once

#include <QString>

class PgConnection;

// Registration on the server as the test window does it: a free participant table name, then the profile and
// the copy of the items in one unit of work. Returns the table's name; throws DataError (DuplicateKey when the
// file number is taken, and then nothing of it stays).
QString registerOnServer(PgConnection& db, int fileNo);
