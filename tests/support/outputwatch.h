#pragma once
// Watches the error output of a program under test (its log and camera state lines) line by line.
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

// Reads the program's error output until a line ends with the text.
class TOutputWatch
{
public:
    explicit TOutputWatch(QProcess &process) : m_process(process) {}
    // Waits until a line read since the mark ends with the text.
    bool WaitFor(const QString &text, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            m_buffer += m_process.readAllStandardError();
            qsizetype end;
            while ((end = m_buffer.indexOf('\n')) >= 0) {
                m_lines << QString::fromUtf8(m_buffer.left(end)).trimmed();
                m_buffer.remove(0, end + 1);
            }
            for (qsizetype i = m_mark; i < m_lines.size(); ++i)
                if (m_lines[i].endsWith(text))
                    return true;
            if (deadline.hasExpired() || m_process.state() != QProcess::Running)
                return false;
            m_process.waitForReadyRead(50);
        }
    }
    void Mark() { m_mark = m_lines.size(); }
    // The states a camera has been seen in so far.
    QStringList States(const QString &title) const
    {
        QStringList states;
        for (const QString &line : m_lines.filter("camera " + title + " "))
            states << line.section(' ', -1);
        return states;
    }

private:
    QProcess &m_process;
    QByteArray m_buffer;
    QStringList m_lines;
    qsizetype m_mark = 0;
};
