#pragma once
// A test double of the main window as the log and error reporting see it: records what they asked.
// Installs itself into the current services for its lifetime.
#include "core/windowsink.h"

#include <QList>
#include <QString>
#include <QStringList>

class TRecordingWindowSink : public TMainWindowSink
{
public:
    struct Balloon
    {
        QString title;
        QString text;
        TBalloonIcon icon = TBalloonIcon::None;
        int timeoutMs = 0;
    };

    TRecordingWindowSink() : m_previous(MainWindowSink()) { SetMainWindowSink(this); }
    ~TRecordingWindowSink() override
    {
        if (MainWindowSink() == this)
            SetMainWindowSink(m_previous);
    }
    TRecordingWindowSink(const TRecordingWindowSink &) = delete;
    TRecordingWindowSink &operator=(const TRecordingWindowSink &) = delete;

    void AppendLogLine(const QString &line) override { lines.append(line); }
    bool IsMainWindowShowing() const override { return showing; }
    bool IsTrayIconVisible() const override { return trayVisible; }
    void ShowTrayBalloon(const QString &title, const QString &text, TBalloonIcon icon, int timeoutMs) override
    {
        balloons.append({title, text, icon, timeoutMs});
    }
    void CloseMainWindow() override { ++closeRequests; }

    bool showing = true;
    bool trayVisible = false;
    QStringList lines;
    QList<Balloon> balloons;
    int closeRequests = 0;

private:
    TMainWindowSink *m_previous;
};
