#pragma once

// One of our programs run as a real process for a timing: from just before it is started until the first output
// line beginning with a given text (or until it ends), with the peak resident memory the kernel records for it.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct ChildRun
{
    bool started = false;
    bool finished = false;   // ended on its own within the time allowed
    int exitCode = -1;
    double secondsToLine = -1; // until the awaited line arrived; -1 when it never did
    double seconds = 0;      // until the process ended
    double peakMb = 0;       // the child's peak resident set (VmHWM), measured by peak_rss
    QByteArray out;
    QByteArray err;
};

// Runs `program` with `arguments` in `folder`, with `extraEnvironment` ("NAME=value") added to ours. Ends it
// after `timeoutSeconds`.
ChildRun runChild(const QString& program, const QStringList& arguments, const QString& folder,
                  const QStringList& extraEnvironment = {}, const QByteArray& awaitedLine = {},
                  double timeoutSeconds = 1800);

// The machine's load averages over 1, 5 and 15 minutes, as /proc/loadavg has them ("3.84 1.56 0.59").
QString machineLoad();
// Its one-minute figure.
double machineLoad1();
