#pragma once

#include <QProcessEnvironment>
#include <QString>

// The environment in which the real program runs with the operator's driver loaded into it. In the sanitizer
// build the program carries the address sanitizer's runtime, which refuses to start when another library is
// loaded before it; the driver needs no instrumented start, so that check is switched off for the child only.
inline QProcessEnvironment drivenProgramEnvironment(const QString& driver)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LD_PRELOAD"), driver);
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               asan.isEmpty() ? QStringLiteral("verify_asan_link_order=0")
                              : asan + QStringLiteral(":verify_asan_link_order=0"));
    return env;
}
