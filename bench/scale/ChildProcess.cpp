#include "bench/scale/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

ChildRun runChild(const QString& program, const QStringList& arguments, const QString& folder,
                  const QStringList& extraEnvironment, const QByteArray& awaitedLine, double timeoutSeconds)
{
    ChildRun run;
    QTemporaryDir scratch;
    const QString peakFile = QDir(scratch.path()).filePath(QStringLiteral("peak"));
    // Everything the child needs is made before it starts, so the timing holds only the process itself.
    std::vector<QByteArray> argStore{QByteArrayLiteral(RAVLEN_PEAK_RSS), peakFile.toLocal8Bit(), program.toLocal8Bit()};
    for (const QString& a : arguments)
        argStore.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> envStore;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    for (const QString& e : extraEnvironment)
        envStore.push_back(e.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray dir = folder.toLocal8Bit();

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addchdir_np(&actions, dir.constData());

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    // A process group of its own, so a run that overstays can be ended with everything it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return run;
    }
    run.started = true;

    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    bool killed = false;
    while (open > 0) {
        const double left = timeoutSeconds - since(start);
        if (left <= 0 && !killed) {
            kill(-pid, SIGKILL);
            killed = true;
        }
        if (poll(fds, 2, killed ? 1000 : int(left * 1000) + 1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            QByteArray& into = i == 0 ? run.out : run.err;
            into.append(buffer, int(n));
            if (i == 0 && run.secondsToLine < 0 && !awaitedLine.isEmpty() &&
                (into.startsWith(awaitedLine) || into.contains("\n" + awaitedLine)))
                run.secondsToLine = since(start);
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.seconds = since(start);
    run.finished = !killed && WIFEXITED(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile peak(peakFile);
    if (peak.open(QIODevice::ReadOnly))
        run.peakMb = peak.readAll().trimmed().toDouble() / 1024.0; // kilobytes on Linux
    return run;
}

QString machineLoad()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() >= 3 ? QString::fromLatin1(parts[0] + ' ' + parts[1] + ' ' + parts[2]) : QString();
}

double machineLoad1()
{
    return machineLoad().section(QLatin1Char(' '), 0, 0).toDouble();
}
