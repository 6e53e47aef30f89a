#pragma once
// hostilecam.py (beside this file) as a child process on a free loopback port: a camera server that
// misbehaves on purpose, one way per URL path ("garbage", "slowloris", ...; see the script).
#include "processoutput.h"
#include "testpaths.h"

#include <QElapsedTimer>
#include <QProcess>

class THostileCamera
{
public:
    // picture: a JPEG file for the modes that send a real picture (empty for the others).
    explicit THostileCamera(const QString &picture = {})
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        EndWithTest(m_process);
        QStringList arguments{SourceTreeFile(QStringLiteral("tests/support/hostilecam.py"))};
        if (!picture.isEmpty())
            arguments << picture;
        m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        while (clock.elapsed() < 5000 && m_process.state() != QProcess::NotRunning && !out.contains('\n')) {
            m_process.waitForReadyRead(100);
            out += m_process.readAllStandardOutput();
        }
        const qsizetype colon = out.lastIndexOf(':');
        m_port = colon > 0 ? out.mid(colon + 1).split('/').first().toUShort() : 0;
    }
    ~THostileCamera()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    THostileCamera(const THostileCamera &) = delete;
    THostileCamera &operator=(const THostileCamera &) = delete;

    bool Started() const { return m_port != 0; }
    quint16 Port() const { return m_port; }
    QString Url(const QString &mode) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(mode); }

private:
    QProcess m_process;
    quint16 m_port = 0;
};
