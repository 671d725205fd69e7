#include "data/ZarkU.h"

#include "data/DbConnection.h"

#include <QStringList>

QString JetConnectionString(const QString& FileName, const QString& Password)
{
    const QString empty = QStringLiteral("\"\"");
    const QStringList items{
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0"),
        QStringLiteral("Password=") + empty,
        QStringLiteral("User ID=admin"),
        QStringLiteral("Data Source=") + FileName,
        QStringLiteral("Mode=Share Deny None"),
        QStringLiteral("Extended Properties=") + empty,
        QStringLiteral("Jet OLEDB:System database=") + empty,
        QStringLiteral("Jet OLEDB:Registry Path=") + empty,
        QStringLiteral("Jet OLEDB:Database Password=\"") + Password + QLatin1Char('"'),
        QStringLiteral("Jet OLEDB:Engine Type=5"),
        QStringLiteral("Jet OLEDB:Database Locking Mode=1"),
        QStringLiteral("Jet OLEDB:Global Partial Bulk Ops=2"),
        QStringLiteral("Jet OLEDB:Global Bulk Transactions=1"),
        QStringLiteral("Jet OLEDB:New Database Password=") + empty,
        QStringLiteral("Jet OLEDB:Create System Database=False"),
        QStringLiteral("Jet OLEDB:Encrypt Database=False"),
        QStringLiteral("Jet OLEDB:Don't Copy Locale on Compact=False"),
        QStringLiteral("Jet OLEDB:Compact Without Replica Repair=False"),
        QStringLiteral("Jet OLEDB:SFP=False"),
    };
    return items.join(QLatin1Char(';'));
}

QRandomGenerator& RandomLettersGenerator()
{
    // One per thread: a generator is not safe to share, and a test's seed then holds for the thread it runs on.
    thread_local QRandomGenerator generator = QRandomGenerator::securelySeeded();
    return generator;
}

QString RandomLetters(int Count)
{
    QString s;
    if (Count <= 0)
        return s;
    s.reserve(Count);
    for (int i = 0; i < Count; ++i)
        s += QChar(char16_t(65 + RandomLettersGenerator().bounded(25)));
    return s;
}

bool TableExists(const QString& Name, DbConnection& Connection)
{
    return Connection.tableExists(Name);
}
