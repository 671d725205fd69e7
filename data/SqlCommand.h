#pragma once

#include <QObject>
#include <QString>

class DbConnection;

// A command with no result rows; its text is set before each execution.
class SqlCommand : public QObject
{
    Q_OBJECT

public:
    explicit SqlCommand(QObject* parent = nullptr);
    void setConnection(DbConnection* connection) { m_connection = connection; }
    QString commandText() const { return m_text; }
    void setCommandText(const QString& text) { m_text = text; }
    // Runs the one statement of the text and returns the number of rows changed; a text holding more than one
    // statement is refused with nothing run.
    int execute();

private:
    DbConnection* m_connection = nullptr;
    QString m_text;
};
