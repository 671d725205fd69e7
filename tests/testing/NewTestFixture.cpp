#include "tests/testing/NewTestFixture.h"

#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/DbBackend.h"
#include "testing/NewTestForm.h"
#include "tests/support/HostWindow.h"
#include "tests/support/Pixels.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <vector>

NewTestFixture::NewTestFixture() : m_previousFolder(QDir::currentPath())
{
    // The window writes its answer picture into the working folder, and the program finds Ravlen.mdb there.
    QDir::setCurrent(m_db.dir());
    m_host = std::make_unique<HostWindow>();
    m_data = std::make_unique<TData>();
    Data = m_data.get();
    m_data->ConnectToWorkingDirectoryDatabase();
    m_window = std::make_unique<TfrmNewTest>();
    frmNewTest = m_window.get();
}

NewTestFixture::~NewTestFixture()
{
    m_window.reset();
    Data = nullptr;
    m_data.reset();
    m_host.reset();
    QDir::setCurrent(m_previousFolder);
}

bool NewTestFixture::open()
{
    if (!m_host->showActive())
        return false;
    m_window->setOuterHeight(175);
    m_window->show();
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window.get());
}

QWidget* NewTestFixture::findWidget(const char* name) const
{
    return m_window->findChild<QWidget*>(QLatin1String(name));
}

namespace {

// A query of the suite's own that the database refuses: marks the running test failed, with the statement and
// the database's reason, so a check that expects nothing cannot pass on a mistyped query.
void failQuery(const QString& sql, const QString& reason)
{
    QTest::qFail(qPrintable(QStringLiteral("query failed: %1\n   %2").arg(sql, reason)), __FILE__, __LINE__);
}

// The rows of `sql` on the server, as the backend reads them: `columns` values per row (all when 0).
std::vector<QVariantList> serverRows(DbConnection& db, const QString& sql)
{
    std::vector<QVariantList> rows;
    try {
        const ReadResult r = db.backend().readQuery(sql, true);
        const size_t width = r.fields.size();
        for (size_t i = 0; width && i < r.values.size(); i += width)
            rows.emplace_back(r.values.begin() + qsizetype(i), r.values.begin() + qsizetype(i + width));
    } catch (const DataError& e) {
        failQuery(sql, QString::fromStdString(e.what()));
    }
    return rows;
}

// Runs `sql` on a file connection; a query that fails is a failure of the test, not an empty answer.
bool execOrFail(QSqlQuery& query, const QString& sql)
{
    if (query.exec(sql))
        return true;
    failQuery(sql, query.lastError().text());
    return false;
}

} // namespace

QVariantList NewTestFixture::column(const QString& sql) const
{
    const std::unique_ptr<DbConnection> other = m_db.connect();
    if (TempRavlenDb::onServer()) {
        QVariantList values;
        for (const QVariantList& row : serverRows(*other, sql))
            values << row.first();
        return values;
    }
    QSqlQuery query(other->database());
    QVariantList values;
    if (!execOrFail(query, sql))
        return values;
    while (query.next())
        values << query.value(0);
    return values;
}

QVariantList NewTestFixture::firstRow(const QString& sql) const
{
    const std::unique_ptr<DbConnection> other = m_db.connect();
    if (TempRavlenDb::onServer()) {
        const std::vector<QVariantList> rows = serverRows(*other, sql);
        return rows.empty() ? QVariantList() : rows.front();
    }
    QSqlQuery query(other->database());
    QVariantList values;
    if (!execOrFail(query, sql) || !query.next())
        return values;
    for (int i = 0; i < query.record().count(); ++i)
        values << query.value(i);
    return values;
}

QString NewTestFixture::contents() const
{
    const std::unique_ptr<DbConnection> other = m_db.connect();
    QStringList lines = other->tableNames();
    lines.sort();
    if (TempRavlenDb::onServer()) {
        for (const QVariantList& row : serverRows(*other, QStringLiteral("SELECT * FROM Profiles ORDER BY FileNo"))) {
            QStringList texts;
            for (const QVariant& v : row)
                texts << v.toString();
            lines << texts.join(u'|');
        }
        return lines.join(u'\n');
    }
    QSqlQuery query(other->database());
    execOrFail(query, QStringLiteral("SELECT * FROM Profiles ORDER BY FileNo"));
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i).toString();
        lines << row.join(u'|');
    }
    return lines.join(u'\n');
}

QString messagePictureFault(QWidget* message, const QString& shield)
{
    const QImage picture = message->grab().toImage();
    const auto* label = message->findChild<QLabel*>(QStringLiteral("msgText"));
    const QRect ink = inkBounds(picture.copy(label->geometry()), darkerThan(100));
    int widest = 0;
    for (const QString& line : label->text().split(QLatin1Char('\n')))
        widest = qMax(widest, QFontMetrics(label->font()).horizontalAdvance(line));
    if (ink.width() < qMin(widest, label->width()) * 8 / 10)
        return QStringLiteral("message text: ink %1 px wide of %2").arg(ink.width()).arg(widest);
    const QString drawn = colourFamily(picture.copy(448, 8, 49, 48));
    if (drawn != shield)
        return QStringLiteral("shield %1, expected %2").arg(drawn, shield);
    return QString();
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void retype(QWidget* box, const QString& text)
{
    box->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    typeText(box, text);
}

void pressTab(QWidget* widget)
{
    QTest::keyClick(widget, Qt::Key_Tab);
}

void clickButton(QWidget* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}
