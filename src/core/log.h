#pragma once
// The message log and error reporting. Log lines live in memory (the main window shows them); every line
// is also written to the logging category "ostrivo.log" at info level.
#include "core/dateformat.h"

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(ostrivoLog)

// Appends "<local date and time> - <Text>" and selects it. From another thread the line is handed to the
// user-interface thread.
void AddLogLine(const QString &text);
// Logs Translate("ERROR: ") + Text and shows an error box; with AskRestart, a Yes closes the main window.
void ReportError(const QString &text, bool askRestart);
// A failure without the restart question: ReportError while the main window is showing; otherwise (hidden in
// the notification area, or already hidden by the shutdown) the error line alone, which also reaches the
// standard error output, so that nothing waits for a dialog nobody sees.
void ReportErrorWhereShown(const QString &text);
// Shows an alarm balloon when the main window is hidden and the tray icon is visible.
void ShowAlartOnBaloonIfNeeded(const QString &alarmtxt);

// The finished log line for a moment and a text.
QString LogLine(TDateTime moment, const QString &text);
