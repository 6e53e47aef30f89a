#pragma once
// ostrivo-camsim as a child process on a loopback port that can be stopped and started again on the same
// port (a camera that goes away and comes back).
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

class TCamSim
{
public:
    // port 0: any free port, kept for later starts.
    explicit TCamSim(quint16 port = 0) : m_port(port) {}
    ~TCamSim() { Stop(); }

    bool Start(const QStringList &arguments = {})
    {
        Stop();
        m_process.setProgram(QStringLiteral(OSTRIVO_BIN_DIR "/ostrivo-camsim"));
        m_process.setArguments(QStringList{QStringLiteral("--port"), QString::number(m_port)} + arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        static const QRegularExpression listening(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
        QByteArray output;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000 && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
            output += m_process.readAllStandardOutput();
            const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
            if (match.hasMatch()) {
                m_port = quint16(match.captured(1).toUInt());
                return true;
            }
        }
        return false;
    }
    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    quint16 Port() const { return m_port; }

private:
    QProcess m_process;
    quint16 m_port;
};
