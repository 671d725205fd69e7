#pragma once

// The fixed texts of the profile codes, in one place for the data module's calculated fields, every window
// list and the tools.

#include <QString>
#include <QStringList>

// Gender codes: 0 female, any other value male (1 is written).
QString GenderText(int code);

// Education-grade codes 0 to 7; empty for any other code.
QString GradeText(int code);

// The title FullName starts with: "خانم " for code 0, "آقاي " otherwise (each with its trailing blank).
QString GenderTitle(int code);

// The gender list of the test and search windows, list index = code. Its female item is spelt "مونت", unlike
// the calculated text "مونث": that is how the lists read.
QStringList genderListItems();

// The grade lists of the windows, list index = code: the eight grade texts in code order.
QStringList gradeListItems();

// "همه موارد" (all): the first item of the search window's lists, before the codes.
QString searchAllItemsText();

// The captions of a participant's details in the test and search windows, without their colon; the exports
// label their columns with them.
struct ProfileCaptions
{
    QString fileNo;
    QString date;
    QString firstName;
    QString lastName;
    QString age;
    QString gender;
    QString grade;
};
const ProfileCaptions& profileCaptions();

// The texts of the five answer buttons, answer 1 first: the answer stored is the index + 1.
QStringList answerTexts();
