#include "tests/support/PlainCopy.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

QStringList firstColumnOfPlainCopy(const QString& fileName, const QString& sql)
{
    const QTemporaryDir dir;
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("copy.mdb"));
    QStringList values;
    if (!dir.isValid() || !QFile::copy(fileName, copy))
        return values;
    const QString connection = QStringLiteral("plain-copy");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(copy);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql))
                while (query.next())
                    values.append(query.value(0).toString());
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return values;
}
