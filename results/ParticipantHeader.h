#pragma once

#include <QString>

// The participant a results look-up found, as the report's header shows it: read when the look-up succeeded.
struct ParticipantHeader
{
    int fileNo = 0;
    QString date;
    QString fullName;
    int age = 0;
    QString gradeText;
};
