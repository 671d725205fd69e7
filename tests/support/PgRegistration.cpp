#include "tests/support/PgRegistration.h"

#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "data/ZarkU.h"

QString registerOnServer(PgConnection& db, int fileNo)
{
    QString name;
    do
        name = RandomLetters(15);
    while (PgBackend::tableExists(db, name));
    PgBackend::inTransaction(db, QStringLiteral("Cannot register"), [&] {
        PgBackend::insertRow(db, QStringLiteral("Profiles"),
                             {QStringLiteral("FileNo"), QStringLiteral("Date"), QStringLiteral("FName"),
                              QStringLiteral("LName"), QStringLiteral("Age"), QStringLiteral("Gender"),
                              QStringLiteral("Grade"), QStringLiteral("QTable"), QStringLiteral("Completed")},
                             {fileNo, QStringLiteral("1404/07/15"), QStringLiteral("علي"), QStringLiteral("رضايي"), 30,
                              1, 3, name, false});
        PgBackend::executeStatement(db, QStringLiteral("SELECT * INTO ") + name +
                                            QStringLiteral(" FROM Questions Where Row>=0"));
    });
    return name;
}
