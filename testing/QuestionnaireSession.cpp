#include "testing/QuestionnaireSession.h"

#include "data/DataError.h"
#include "data/DataSet.h"
#include "data/ZarkU.h"

namespace {
const QString rowField = QStringLiteral("Row");
const QString answerField = QStringLiteral("Answer");
const QString scoreField = QStringLiteral("Score");
} // namespace

QuestionnaireSession::QuestionnaireSession(DataSet& questions) : m_questions(questions) {}

int QuestionnaireSession::itemScore(bool scoring, int answer)
{
    return IfThenVar(scoring, answer, 6 - answer);
}

void QuestionnaireSession::startAtFirstItem()
{
    m_questions.setIndexFieldNames(rowField);
    m_questions.first();
}

QuestionnaireSession::Item QuestionnaireSession::currentItem() const
{
    Item item;
    item.question = m_questions.fieldByName(QStringLiteral("Question")).asString();
    item.position = m_questions.recNo();
    item.total = m_questions.recordCount();
    item.answer = m_questions.fieldByName(answerField).asInteger();
    return item;
}

void QuestionnaireSession::answer(int answer)
{
    const bool scoring = m_questions.fieldByName(QStringLiteral("Scoring")).asBoolean();
    const int score = itemScore(scoring, answer);
    m_questions.edit();
    m_questions.setFieldValue(answerField, answer);
    m_questions.setFieldValue(scoreField, score);
    m_questions.post();
}

bool QuestionnaireSession::movePrevious()
{
    if (m_questions.bof())
        return false;
    m_questions.prior();
    return true;
}

bool QuestionnaireSession::moveNext()
{
    if (m_questions.eof())
        return false;
    m_questions.next();
    return true;
}

QuestionnaireSession::Unanswered QuestionnaireSession::findUnanswered()
{
    const int current = m_questions.recNo();
    m_questions.setFilter(QStringLiteral("Answer<=0"));
    m_questions.setFiltered(true);
    Unanswered result;
    result.count = m_questions.recordCount();
    if (result.count > 0)
        result.firstRow = m_questions.fieldByName(rowField).asInteger();
    m_questions.setFiltered(false);
    m_questions.setFilter(QString());
    m_questions.setRecNo(current);
    return result;
}

void QuestionnaireSession::goToRow(int row)
{
    if (!m_questions.locate(rowField, row))
        throw DataError(QStringLiteral("Item %1 is no longer in %2").arg(row).arg(m_questions.objectName()));
}
