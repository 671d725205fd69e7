#include "data/SqlCommand.h"

#include "data/DataError.h"
#include "data/DbConnection.h"

SqlCommand::SqlCommand(QObject* parent) : QObject(parent) {}

int SqlCommand::execute()
{
    if (!m_connection || !m_connection->isConnected())
        throw DataError(QStringLiteral("Cannot execute \"%1\": the database connection is not open").arg(m_text),
                        DataError::Kind::NotConnected);
    return m_connection->executeStatement(m_text);
}
