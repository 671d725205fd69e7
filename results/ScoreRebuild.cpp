#include "results/ScoreRebuild.h"

#include "data/DataModule.h"
#include "data/ScoreQueries.h"

void rebuildScoreQueries(TData& data, const QString& questionTable)
{
    try {
        data.OpenQuestionTable(questionTable);
        data.qTest1.close();
        data.qTest2.close();
        const QString table = data.tbQuestions.tableName();
        data.qTest1.sql() = scoreByScaleSql(table);
        data.qTest2.sql() = scoreBySubScaleSql(table);
        data.qTest1.open();
        data.qTest2.open();
    } catch (...) {
        data.qTest1.close();
        data.qTest2.close();
        throw;
    }
}
