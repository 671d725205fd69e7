#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One item of the questionnaire as the item bank holds it: its overall scale, its sub-scale, its scoring
// direction (false reverses the answer) and the statement shown to the participant.
struct BankItem
{
    QString group1;
    QString group2;
    bool scoring = true;
    QString question;

    friend bool operator==(const BankItem&, const BankItem&) = default;
};

// The longest text a question-table column takes.
inline constexpr qsizetype kMaxItemTextLength = 255;

// Reads an item bank from UTF-8 CSV: a header row naming the columns Group1, Group2, Scoring and Question (in
// any order), then one item per row. Fields may be enclosed in double quotes, which lets them hold commas,
// line breaks and doubled quotes. Texts are trimmed; Scoring is "true" or "false".
// Every row is checked; on failure `items` is left empty and `errors` holds one message per fault, each naming
// the line it was found on.
bool tryParseItemCsv(const QByteArray& bytes, QList<BankItem>* items, QStringList* errors);

// Writes the items as UTF-8 CSV in the form tryParseItemCsv reads, quoting only the fields that need it. A text
// starting with = + - @ or ' is written after an apostrophe, so a spreadsheet never runs it as a formula;
// tryParseItemCsv takes that apostrophe off again, so writing then reading gives the same items.
QByteArray writeItemCsv(const QList<BankItem>& items);
