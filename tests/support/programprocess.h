#pragma once
// Runs the built ostrivo program as a user would, headless, with its home (data and settings folders) in a
// folder of the test's, so that no real user's files are read or written.
#include "processoutput.h"
#include "testpaths.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

inline QProcessEnvironment SandboxedProgramEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "LANGUAGE", "LC_MESSAGES"})
        env.remove(name);
    env.insert("HOME", home);
    env.insert("XDG_RUNTIME_DIR", home);
    env.insert("LC_ALL", "C");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("OSTRIVO_UPNP_INTERFACE", "lo"); // UPnP searches never leave the machine
    return env;
}

// Starts the built program hidden in the notification area ("-hide") with the given environment; false
// when it did not start.
inline bool StartHiddenProgram(QProcess &process, const QProcessEnvironment &env)
{
    process.setProcessEnvironment(env);
    process.setProgram(BuiltFile(QStringLiteral("ostrivo")));
    process.setArguments({QStringLiteral("-hide")});
    EndWithTest(process);
    process.start();
    return process.waitForStarted(5000);
}

// Asks the program to end, and kills it when it has not ended within 3 seconds.
inline void EndProgram(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000))
        process.kill(), process.waitForFinished(1000);
}
