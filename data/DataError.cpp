#include "data/DataError.h"

#include "data/PgConnection.h"

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
    return leftToRight(QDir::toNativeSeparators(QFileInfo(file).absolutePath()));
}

} // namespace

DataError::DataError(const QString& message, Kind kind, const QString& subject)
    : std::runtime_error(QString(userSentence(kind, message, subject) + QLatin1Char('\n') + message).toStdString()),
      m_message(message), m_kind(kind), m_subject(subject)
{
}

namespace {

// The sentence of a failure to reach or use the database server `uri`.
QString serverSentence(DataError::Kind kind, const QString& uri)
{
    using Kind = DataError::Kind;
    const PgAddress server = PgConnection::addressOf(uri);
    const QString address = leftToRight(server.hostAndPort());
    const QString user = leftToRight(server.user);
    const QString passwordFile = PgConnection::passwordFile();
    // The address, file, line or command each sentence names comes at its end, each piece left to right.
    switch (kind) {
    case Kind::ServerUnreachable:
        return QStringLiteral("سرور اطلاعات پاسخ نمي دهد. روشن بودن سرور، نام رايانه سرور و شماره درگاه آن در "
                              "نشاني سرور، و اتصال اين رايانه به شبکه را بررسي کنيد. نشاني سرور: %1")
            .arg(address);
    case Kind::ServerNoPassword:
        return QStringLiteral("سرور اطلاعات براي ورود اين کاربر گذرواژه مي خواهد و در فايل گذرواژه سطري براي آن "
                              "نيست. سطر زير را با گذرواژه اين کاربر در فايل گذرواژه بنويسيد و فايل را با دستور زير "
                              "فقط براي صاحب آن خواندني کنيد: %1 %2 %3")
            .arg(leftToRight(passwordFile), leftToRight(server.passwordLine(QStringLiteral("گذرواژه"))),
                 leftToRight(QStringLiteral("chmod 600 ") + passwordFile));
    case Kind::ServerLoginRefused:
        return QStringLiteral("سرور اطلاعات ورود اين کاربر را نپذيرفت: گذرواژه نادرست است يا اين کاربر روي سرور "
                              "تعريف نشده است. گذرواژه را در سطر اين سرور در فايل گذرواژه اصلاح کنيد، يا از مدير "
                              "سرور بخواهيد اين کاربر را تعريف کند: %1 %2")
            .arg(leftToRight(passwordFile), leftToRight(server.passwordLine(QStringLiteral("گذرواژه"))));
    case Kind::ServerDatabaseMissing:
        return QStringLiteral("پايگاه داده اي به اين نام روي سرور اطلاعات نيست. نام آن را در نشاني سرور بررسي "
                              "کنيد، يا از مدير سرور بخواهيد آن را بسازد و سپس جدولهاي برنامه را با اين دستور در آن "
                              "بسازيد: %1")
            .arg(leftToRight(QStringLiteral("ravlen-db create-server ") + uri));
    case Kind::ServerNotEmpty:
        return QStringLiteral("پايگاه داده سرور خالي نيست. ساختن جدولهاي برنامه و انتقال فايل اطلاعات به سرور فقط در "
                              "پايگاه داده خالي انجام مي شود. نشاني سرور: %1")
            .arg(leftToRight(uri));
    case Kind::ServerPermission:
        return QStringLiteral("اين کاربر روي سرور اطلاعات اجازه کار با پايگاه داده يا جدولهاي آن را ندارد. از مدير "
                              "سرور بخواهيد اين اجازه را به اين کاربر بدهد. کاربر و نشاني سرور: %1 %2")
            .arg(user, leftToRight(server.hostAndPort() + QLatin1Char('/') + server.database));
    default:
        break;
    }
    return QString();
}

} // namespace

QString userSentence(DataError::Kind kind, const QString& detail, const QString& subject)
{
    using Kind = DataError::Kind;
    const QString file = fileNamedIn(detail);
    // "the database file Ravlen.mdb in the folder /home/..." when the detail names the file.
    const QString theFile = file.isEmpty() ? QStringLiteral("فايل اطلاعات")
                                           : QStringLiteral("فايل اطلاعات %1 در پوشه %2")
                                                 .arg(leftToRight(QFileInfo(file).fileName()), folderOf(file));
    switch (kind) {
    case Kind::DuplicateKey:
        return QStringLiteral("اين شماره پرونده قبلا ثبت شده است. شماره ديگري وارد کنيد.");
    case Kind::Busy:
        return QStringLiteral("%1 در دست برنامه ديگري است. چند لحظه بعد دوباره تلاش کنيد.").arg(theFile);
    case Kind::ReadOnly:
        return QStringLiteral("در %1 نمي توان نوشت، چون فايل يا پوشه آن فقط خواندني است. اجازه نوشتن در فايل و "
                              "پوشه را به اين کاربر بدهيد و دوباره تلاش کنيد.")
            .arg(theFile);
    case Kind::AccessDenied:
        return QStringLiteral("اين کاربر اجازه خواندن %1 را ندارد. از مدير رايانه بخواهيد اجازه خواندن و نوشتن "
                              "فايل و پوشه آن را به اين کاربر بدهد.")
            .arg(theFile);
    case Kind::MissingFile:
        if (!file.isEmpty())
            return QStringLiteral("%1 پيدا نشد. فايل را در اين پوشه قرار دهيد، يا آن را با دستور %2 بسازيد، يا "
                                  "برنامه را با دستور %3 اجرا کنيد که فايل را مي سازد.")
                .arg(theFile,
                     leftToRight(QStringLiteral("ravlen-db create ") +
                                 QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())),
                     leftToRight(QStringLiteral("bash scripts/run.sh")));
        return QStringLiteral("فايل اطلاعات پيدا نشد. فايل را با دستور %1 بسازيد.")
            .arg(leftToRight(QStringLiteral("ravlen-db create")));
    case Kind::NotADatabase:
        return QStringLiteral("%1 فايل اطلاعات اين برنامه نيست يا آسيب ديده است. آخرين نسخه پشتيبان آن را به "
                              "جاي آن قرار دهيد.")
            .arg(theFile);
    case Kind::DiskFull:
        return file.isEmpty()
                   ? QStringLiteral("ديسک پر است و اطلاعات ذخيره نشد. جاي خالي ديسک را زياد کنيد و دوباره تلاش کنيد.")
                   : QStringLiteral("ديسک پوشه %1 پر است و اطلاعات ذخيره نشد. جاي خالي اين ديسک را زياد کنيد و "
                                    "دوباره تلاش کنيد.")
                         .arg(folderOf(file));
    case Kind::BadFilter:
        return QStringLiteral("با اين مقدارهاي جستجو نمي توان جستجو کرد. مقدارها را تغيير دهيد.");
    case Kind::BadTableName:
        return QStringLiteral("نام جدول سوالات اين شرکت کننده در فايل اطلاعات معتبر نيست. فايل دستکاري شده "
                              "يا آسيب ديده است.");
    case Kind::Schema:
        return QStringLiteral("%1 ساختار لازم براي اين برنامه را ندارد. فايل درست را در اين پوشه قرار دهيد.")
            .arg(theFile);
    case Kind::Constraint:
        return QStringLiteral("مقدار وارد شده در محدوده مجاز نيست. مقدار را اصلاح کنيد.");
    case Kind::Conflict:
        return QStringLiteral("اين اطلاعات در همين زمان در برنامه ديگري تغيير کرده است. دوباره تلاش کنيد.");
    case Kind::NotConnected:
        return QStringLiteral("ارتباط با فايل اطلاعات برقرار نيست. برنامه را دوباره اجرا کنيد.");
    case Kind::Unsupported:
        return QStringLiteral("%1 روي شبکه است. آن را روي ديسک همين رايانه قرار دهيد.").arg(theFile);
    case Kind::ConnectionLost:
        return QStringLiteral("ارتباط با سرور اطلاعات قطع شد. دوباره تلاش کنيد تا برنامه دوباره به سرور وصل شود.");
    case Kind::ServerUnreachable:
    case Kind::ServerNoPassword:
    case Kind::ServerLoginRefused:
    case Kind::ServerDatabaseMissing:
    case Kind::ServerPermission:
    case Kind::ServerNotEmpty:
        return serverSentence(kind, subject);
    case Kind::PasswordFileOpen:
        return QStringLiteral("فايل گذرواژه را کاربران ديگر هم مي توانند بخوانند يا تغيير دهند، پس برنامه از آن "
                              "استفاده نمي کند. آن را با اين دستور فقط براي صاحب آن خواندني کنيد: %1")
            .arg(leftToRight(QStringLiteral("chmod 600 ") + subject));
    case Kind::PasswordInAddress:
        return QStringLiteral("نشاني سرور اطلاعات گذرواژه را در خود دارد. گذرواژه را از نشاني برداريد و آن را در "
                              "اين فايل گذرواژه بنويسيد: %1")
            .arg(leftToRight(subject));
    case Kind::Other:
        break;
    }
    return QStringLiteral("در کار با فايل اطلاعات خطايي رخ داد. متن زير را براي پشتيبان برنامه بفرستيد.");
}

QString userMessage(const DataError& error)
{
    return QString::fromUtf8(error.what());
}

QString leftToRight(const QString& text)
{
    return QChar(0x202A) + text + QChar(0x202C);
}
