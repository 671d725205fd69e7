// Runs the README's run command (scripts/run.sh) as a real process. The package tools, CMake, the virtual
// display and the built programs are stand-ins on PATH that write every call to a log, so the test sees what the
// script decided to do without installing or building anything.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeExecutable(const QString& fileName, const QByteArray& script)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("#!/usr/bin/env bash\n" + script);
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

QByteArray fileBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A sandbox: stand-in commands, a build folder, a data folder and the call log.
class Sandbox
{
public:
    Sandbox()
    {
        const QByteArray log = "echo \"$(basename \"$0\") $*\" >> \"" + logFile().toUtf8() + "\"\n";
        // dpkg-query answers "installed" for every package except those named in $STUB_MISSING.
        writeExecutable(bin("dpkg-query"), log + "pkg=\"${!#}\"\n"
                                                 "if [[ \" $STUB_MISSING \" == *\" $pkg \"* ]]; then exit 1; fi\n"
                                                 "printf 'install ok installed'\n");
        writeExecutable(bin("apt-get"), log);
        writeExecutable(bin("sudo"), log + "exec \"$@\"\n");
        writeExecutable(bin("npm"), log);
        writeExecutable(bin("xvfb-run"), log + "shift; exec \"$@\"\n");
        // cmake: a configure makes build.ninja, a build does nothing.
        writeExecutable(bin("cmake"), log + "if [ \"$1\" = -S ]; then mkdir -p \"$4\"; touch \"$4/build.ninja\"; fi\n");
        writeExecutable(buildDir() + "/app/ravlen", log + "echo \"started in $PWD\"\n");
        writeExecutable(buildDir() + "/tools/ravlen-db", log + "touch \"$2\"\n");
    }

    QString bin(const QString& name) const { return m_dir.filePath(QStringLiteral("bin/") + name); }
    QString buildDir() const { return m_dir.filePath(QStringLiteral("build")); }
    QString homeDir() const { return m_dir.filePath(QStringLiteral("home")); }
    QString logFile() const { return m_dir.filePath(QStringLiteral("calls.log")); }
    QStringList calls() const { return QString::fromUtf8(fileBytes(logFile())).split(u'\n', Qt::SkipEmptyParts); }
    QStringList callsOf(const QString& command) const { return calls().filter(QRegularExpression(u'^' + command + u' ')); }

    struct Run
    {
        int exitCode = -1;
        QString err;
        QString out;
    };

    Run run(const QStringList& args, const QMap<QString, QString>& extraEnv) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), m_dir.filePath(QStringLiteral("bin")) + u':' + qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("RAVLEN_BUILD_DIR"), buildDir());
        env.insert(QStringLiteral("RAVLEN_HOME"), homeDir());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        for (auto it = extraEnv.begin(); it != extraEnv.end(); ++it)
            env.insert(it.key(), it.value());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("bash"), QStringList{QStringLiteral(RAVLEN_SOURCE_DIR "/scripts/run.sh")} + args);
        if (!process.waitForFinished(30000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
                QString::fromUtf8(process.readAllStandardOutput())};
    }

private:
    QTemporaryDir m_dir;
};

using Env = QMap<QString, QString>;

} // namespace

class tst_RunScript : public QObject
{
    Q_OBJECT

private slots:
    void noDisplayStopsBeforeAnything_data();
    void noDisplayStopsBeforeAnything();
    void installsOnlyWhatIsMissing_data();
    void installsOnlyWhatIsMissing();
    void configuresOnceAndBuildsOnlyTheProgram();
    void createsTheDatabaseOnlyWhenThereIsNone();
};

void tst_RunScript::noDisplayStopsBeforeAnything_data()
{
    QTest::addColumn<Env>("env");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("starts");

    QTest::newRow("nothing set") << Env{} << QStringList{} << false;
    QTest::newRow("X display") << Env{{"DISPLAY", ":5"}} << QStringList{} << true;
    QTest::newRow("Wayland") << Env{{"WAYLAND_DISPLAY", "wayland-0"}} << QStringList{} << true;
    QTest::newRow("Qt platform") << Env{{"QT_QPA_PLATFORM", "offscreen"}} << QStringList{} << true;
    QTest::newRow("--headless") << Env{} << QStringList{"--headless"} << true;
}

void tst_RunScript::noDisplayStopsBeforeAnything()
{
    QFETCH(Env, env);
    QFETCH(QStringList, args);
    QFETCH(bool, starts);

    Sandbox sandbox;
    const Sandbox::Run result = sandbox.run(args, env);
    if (starts) {
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.contains(QStringLiteral("started in")), qPrintable(result.err));
        QCOMPARE(sandbox.callsOf(QStringLiteral("xvfb-run")).size(), args.contains(QStringLiteral("--headless")) ? 1 : 0);
        QVERIFY(!sandbox.callsOf(QStringLiteral("ravlen")).first().contains(QStringLiteral("--headless")));
    } else {
        QVERIFY(result.exitCode != 0);
        QVERIFY2(result.err.contains(QStringLiteral("no display")), qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), 1);
        QCOMPARE(sandbox.calls(), QStringList{}); // nothing asked, installed, built or started
    }
}

void tst_RunScript::installsOnlyWhatIsMissing_data()
{
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QStringList>("aptCalls");

    QTest::newRow("nothing missing") << QString() << QStringList{};
    QTest::newRow("one package missing")
        << QStringLiteral("poppler-utils")
        << QStringList{"apt-get update", "apt-get install -y --no-install-recommends poppler-utils"};
    QTest::newRow("two missing")
        << QStringLiteral("cmake sqlite3")
        << QStringList{"apt-get update", "apt-get install -y --no-install-recommends cmake sqlite3"};
}

void tst_RunScript::installsOnlyWhatIsMissing()
{
    QFETCH(QString, missing);
    QFETCH(QStringList, aptCalls);

    Sandbox sandbox;
    const Sandbox::Run result = sandbox.run({}, {{"DISPLAY", ":5"}, {"STUB_MISSING", missing}});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(!sandbox.callsOf(QStringLiteral("dpkg-query")).isEmpty());
    QCOMPARE(sandbox.callsOf(QStringLiteral("apt-get")), aptCalls);
}

void tst_RunScript::configuresOnceAndBuildsOnlyTheProgram()
{
    Sandbox sandbox;
    const Env env{{"DISPLAY", ":5"}};
    QCOMPARE(sandbox.run({}, env).exitCode, 0);
    QCOMPARE(sandbox.run({}, env).exitCode, 0);

    const QStringList cmake = sandbox.callsOf(QStringLiteral("cmake"));
    QCOMPARE(cmake.filter(QStringLiteral("cmake -S ")).size(), 1); // the second start does not configure again
    const QStringList builds = cmake.filter(QStringLiteral("cmake --build "));
    QCOMPARE(builds.size(), 2);
    for (const QString& build : builds)
        QVERIFY2(build.endsWith(QStringLiteral("--target ravlen ravlen-db")), qPrintable(build));
}

void tst_RunScript::createsTheDatabaseOnlyWhenThereIsNone()
{
    Sandbox sandbox;
    const Env env{{"DISPLAY", ":5"}};
    QCOMPARE(sandbox.run({}, env).exitCode, 0);
    QCOMPARE(sandbox.callsOf(QStringLiteral("ravlen-db")), QStringList{"ravlen-db create Ravlen.mdb"});

    QFile db(sandbox.homeDir() + QStringLiteral("/Ravlen.mdb"));
    QVERIFY(db.open(QIODevice::WriteOnly | QIODevice::Append));
    db.write("participants");
    db.close();
    QCOMPARE(sandbox.run({}, env).exitCode, 0);
    QCOMPARE(sandbox.callsOf(QStringLiteral("ravlen-db")).size(), 1);
    QCOMPARE(fileBytes(db.fileName()), QByteArray("participants"));
}

QTEST_GUILESS_MAIN(tst_RunScript)
#include "tst_RunScript.moc"
