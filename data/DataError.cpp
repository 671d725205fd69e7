#include "data/DataError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The file a detail names between single quotes after "database file", empty when it names none.
QString fileNamedIn(const QString& detail)
{
    static const QRegularExpression quoted(QStringLiteral("database file '([^']*)'"));
    const QRegularExpressionMatch m = quoted.match(detail);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString folderOf(const QString& file)
{
    return QDir::toNativeSeparators(QFileInfo(file).absolutePath());
}

} // namespace

DataError::DataError(const QString& message, Kind kind)
    : std::runtime_error(QString(userSentence(kind, message) + QLatin1Char('\n') + message).toStdString()),
      m_message(message), m_kind(kind)
{
}

QString userSentence(DataError::Kind kind, const QString& detail)
{
    using Kind = DataError::Kind;
    const QString file = fileNamedIn(detail);
    switch (kind) {
    case Kind::DuplicateKey:
        return QStringLiteral("اين شماره پرونده قبلا ثبت شده است. شماره ديگري وارد کنيد.");
    case Kind::Busy:
        return QStringLiteral("فايل اطلاعات در دست برنامه ديگري است. چند لحظه بعد دوباره تلاش کنيد.");
    case Kind::ReadOnly:
        return QStringLiteral("در فايل اطلاعات يا پوشه آن نمي توان نوشت (فقط خواندني است). اجازه نوشتن را به "
                              "اين کاربر بدهيد و دوباره تلاش کنيد.");
    case Kind::AccessDenied:
        return QStringLiteral("اين کاربر اجازه خواندن فايل اطلاعات يا پوشه آن را ندارد. از مدير رايانه بخواهيد "
                              "اجازه دسترسي بدهد.");
    case Kind::MissingFile:
        if (!file.isEmpty())
            return QStringLiteral("فايل اطلاعات %1 در پوشه %2 پيدا نشد. فايل را در اين پوشه قرار دهيد يا با "
                                  "دستور ravlen-db create بسازيد.")
                .arg(QFileInfo(file).fileName(), folderOf(file));
        return QStringLiteral("فايل اطلاعات پيدا نشد. فايل را با دستور ravlen-db create بسازيد.");
    case Kind::NotADatabase:
        return QStringLiteral("اين فايل، فايل اطلاعات برنامه نيست يا آسيب ديده است. نسخه پشتيبان فايل را "
                              "جايگزين کنيد.");
    case Kind::DiskFull:
        return QStringLiteral("ديسک پر است و اطلاعات ذخيره نشد. جاي خالي ديسک را زياد کنيد و دوباره تلاش کنيد.");
    case Kind::BadFilter:
        return QStringLiteral("با اين مقدارهاي جستجو نمي توان جستجو کرد. مقدارها را تغيير دهيد.");
    case Kind::BadTableName:
        return QStringLiteral("نام جدول سوالات اين شرکت کننده در فايل اطلاعات معتبر نيست. فايل دستکاري شده "
                              "يا آسيب ديده است.");
    case Kind::Schema:
        return QStringLiteral("فايل اطلاعات ساختار لازم براي اين برنامه را ندارد. فايل درست را در پوشه "
                              "برنامه قرار دهيد.");
    case Kind::Constraint:
        return QStringLiteral("مقدار وارد شده در محدوده مجاز نيست. مقدار را اصلاح کنيد.");
    case Kind::Conflict:
        return QStringLiteral("اين اطلاعات در همين زمان در برنامه ديگري تغيير کرده است. دوباره تلاش کنيد.");
    case Kind::NotConnected:
        return QStringLiteral("ارتباط با فايل اطلاعات برقرار نيست. برنامه را دوباره اجرا کنيد.");
    case Kind::Unsupported:
        return QStringLiteral("فايل اطلاعات روي شبکه است. آن را روي ديسک همين رايانه قرار دهيد.");
    case Kind::ConnectionLost:
        return QStringLiteral("ارتباط با سرور اطلاعات قطع شد. دوباره تلاش کنيد تا برنامه دوباره به سرور وصل شود.");
    case Kind::Other:
        break;
    }
    return QStringLiteral("در کار با فايل اطلاعات خطايي رخ داد.");
}

QString userMessage(const DataError& error)
{
    return QString::fromUtf8(error.what());
}
