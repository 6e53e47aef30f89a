#pragma once
// What the message log and error reporting need from the main window, which lives in a higher folder:
// the main window installs itself here; tests install a TRecordingWindowSink.
#include <QList>
#include <QString>
#include <QStringList>

enum class TBalloonIcon { None, Information, Warning, Error };

class TMainWindowSink
{
public:
    virtual ~TMainWindowSink() = default;
    // Appends one finished log line to the message log and selects it.
    virtual void AppendLogLine(const QString &line) = 0;
    // The main window is showing (not hidden in the notification area).
    virtual bool IsMainWindowShowing() const = 0;
    // The notification-area icon is visible.
    virtual bool IsTrayIconVisible() const = 0;
    virtual void ShowTrayBalloon(const QString &title, const QString &text, TBalloonIcon icon, int timeoutMs) = 0;
    // Closes the main window by its ordinary close path (question, shutdown sequence); during start-up the
    // request ends the program without writing anything.
    virtual void CloseMainWindow() = 0;
};

// The installed sink, or nullptr (then log lines only go to the logging category).
TMainWindowSink *MainWindowSink();
// Installs a sink (not owned); nullptr removes it.
void SetMainWindowSink(TMainWindowSink *sink);
