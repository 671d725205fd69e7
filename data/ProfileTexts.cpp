#include "data/ProfileTexts.h"

namespace {

const QStringList& gradeTexts()
{
    static const QStringList texts{
        QStringLiteral("زير ديپلم"),    QStringLiteral("ديپلم"),
        QStringLiteral("فوق ديپلم"),    QStringLiteral("ليسانس"),
        QStringLiteral("فوق ليسانس"),   QStringLiteral("دکتراي غير پزشکي"),
        QStringLiteral("دکتراي پزشکي"), QStringLiteral("مدارک حوزه علميه"),
    };
    return texts;
}

} // namespace

QString GenderText(int code)
{
    return code == 0 ? QStringLiteral("مونث") : QStringLiteral("مذکر");
}

QString GradeText(int code)
{
    return code >= 0 && code < gradeTexts().size() ? gradeTexts()[code] : QString();
}

QString GenderTitle(int code)
{
    return code == 0 ? QStringLiteral("خانم ") : QStringLiteral("آقاي ");
}

QStringList genderListItems()
{
    return {QStringLiteral("مونت"), QStringLiteral("مذکر")};
}

QStringList gradeListItems()
{
    return gradeTexts();
}

QString searchAllItemsText()
{
    return QStringLiteral("همه موارد");
}

const ProfileCaptions& profileCaptions()
{
    static const ProfileCaptions captions{
        QStringLiteral("شماره پرونده"), QStringLiteral("تاريخ آزمون"), QStringLiteral("نام"), QStringLiteral("نام خانوادگي"),
        QStringLiteral("سن"), QStringLiteral("جنسيت"), QStringLiteral("مدرک تحصيلي"),
    };
    return captions;
}

QStringList answerTexts()
{
    return {QStringLiteral("کلاً مخالفم"), QStringLiteral("مخالفم"), QStringLiteral("تا حدودي"), QStringLiteral("موافقم"),
            QStringLiteral("کاملاً موافقم")};
}
