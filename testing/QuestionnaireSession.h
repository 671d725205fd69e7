#pragma once

#include <QString>

class DataSet;

// The questionnaire over a participant question table, one item at a time in Row order. It works on the shared
// question-table dataset as it stands, so the cursor's begin and end flags decide the moves exactly as they do for
// every other user of that dataset. Every answer is written to the file before the call returns.
class QuestionnaireSession
{
public:
    explicit QuestionnaireSession(DataSet& questions);

    // The item score of Likert answer `answer`: the answer itself for an item scored as worded, 6 - answer for a
    // reverse-scored one.
    static int itemScore(bool scoring, int answer);

    // What the question panel shows of the current item.
    struct Item
    {
        QString question;
        int position = 0; // 1-based place in Row order
        int total = 0;
        int answer = 0; // 0 while unanswered
    };

    // Orders the items by Row and moves to the first one.
    void startAtFirstItem();
    Item currentItem() const;

    // Stores `answer` (1 to 5) and its score on the current item; the position stays.
    void answer(int answer);

    // One item back or forward; false (and no move) while the begin or end flag is set.
    bool movePrevious();
    bool moveNext();

    struct Unanswered
    {
        int count = 0;
        int firstRow = 0; // the lowest Row among them; 0 when count is 0
    };
    // Counts the unanswered items through the dataset's filter and removes the filter again, back on the item
    // that was current (the begin flag stays set from switching the filter off).
    Unanswered findUnanswered();

    // Makes the item with this Row current; the flags stay as they are.
    void goToRow(int row);

private:
    DataSet& m_questions;
};
