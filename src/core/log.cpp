#include "core/log.h"

Q_LOGGING_CATEGORY(ostrivoLog, "ostrivo.log", QtInfoMsg)

// Placeholder implementations; the message log proper comes with the main window frame.
void AddLogLine(const QString &text) { qCInfo(ostrivoLog).noquote() << text; }
void ReportError(const QString &text, bool) { AddLogLine(QStringLiteral("ERROR: ") + text); }
void ShowAlartOnBaloonIfNeeded(const QString &) {}
