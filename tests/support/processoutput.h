#pragma once
// Reading a child process's output while waiting for it; helper processes that end with the test.
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#if defined(Q_OS_LINUX)
#include <csignal>
#include <sys/prctl.h>
#endif

// Makes a helper process (a simulator, a peer server) that is about to start end when the test program
// ends, also when the test program is killed (a test that ran out of time): left behind, it would keep
// running and keep the test runner's output open.
inline void EndWithTest(QProcess &process)
{
#if defined(Q_OS_LINUX)
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#else
    Q_UNUSED(process);
#endif
}

// The first match of pattern in what the process writes to its standard output within timeoutMs; no
// match when the process ends or the time runs out first.
inline QRegularExpressionMatch WaitForOutputMatch(QProcess &process, const QRegularExpression &pattern,
                                                  int timeoutMs = 5000)
{
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        output += process.readAllStandardOutput();
        const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(output));
        if (match.hasMatch())
            return match;
    }
    return {};
}

// Collects what a process writes on one channel; WaitFor keeps the event loop running meanwhile.
struct TOutput
{
    QProcess &process;
    QProcess::ProcessChannel channel;
    QByteArray text;

    bool WaitFor(const QByteArray &wanted, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!Read().contains(wanted) && !deadline.hasExpired() && process.state() == QProcess::Running)
            QTest::qWait(50);
        return text.contains(wanted);
    }
    const QByteArray &Read()
    {
        text += channel == QProcess::StandardError ? process.readAllStandardError() : process.readAllStandardOutput();
        return text;
    }
};
