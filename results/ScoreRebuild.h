#pragma once

#include <QString>

class TData;

// Points the data module's score queries at one participant: tbQuestions is reopened on the participant
// question table `questionTable` (checked like every name read from Profiles.QTable), then qTest1 and qTest2 are
// closed, given their text for that table and opened again. tbQuestions stays open on the table.
//
// Throws DataError when the table cannot be opened or a query fails. Both queries are then closed, so no grid
// or report goes on showing another participant's scores beside the new participant's details.
void rebuildScoreQueries(TData& data, const QString& questionTable);
