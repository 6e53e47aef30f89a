#include "core/log.h"

#include "core/clock.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/translation.h"
#include "core/windowsink.h"

#include <QCoreApplication>
#include <QThread>

Q_LOGGING_CATEGORY(ostrivoLog, "ostrivo.log", QtInfoMsg)

namespace {

// Log and dialogs belong to the user-interface thread; a call from elsewhere is queued to it.
bool HandOffToUiThread(std::function<void()> call)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return false;
    QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
    return true;
}

} // namespace

QString LogLine(TDateTime moment, const QString &text)
{
    return RegionalDateTimeText(moment) + QStringLiteral(" - ") + text;
}

void AddLogLine(const QString &text)
{
    if (HandOffToUiThread([text] { AddLogLine(text); }))
        return;
    const QString line = LogLine(Now(), text);
    qCInfo(ostrivoLog).noquote() << line;
    if (TMainWindowSink *sink = MainWindowSink())
        sink->AppendLogLine(line);
}

void ReportError(const QString &text, bool askRestart)
{
    if (HandOffToUiThread([text, askRestart] { ReportError(text, askRestart); }))
        return;
    AddLogLine(Translate(QStringLiteral("ERROR: ")) + text);
    if (!askRestart) {
        Prompts().Message(TPromptKind::Error, ApplicationTitle, text);
        return;
    }
    const QString question = Translate(QStringLiteral("The following error occured:")) + u'\n' + text + u'\n'
                             + Translate(QStringLiteral("We recommend to restart the program. Do it now?"));
    if (Prompts().Ask(TPromptKind::Error, ApplicationTitle, question))
        if (TMainWindowSink *sink = MainWindowSink())
            sink->CloseMainWindow();
}

void ReportErrorWhereShown(const QString &text)
{
    if (HandOffToUiThread([text] { ReportErrorWhereShown(text); }))
        return;
    TMainWindowSink *sink = MainWindowSink();
    if (!sink || sink->IsMainWindowShowing()) {
        ReportError(text, false);
        return;
    }
    AddLogLine(Translate(QStringLiteral("ERROR: ")) + text);
}

void ShowAlartOnBaloonIfNeeded(const QString &alarmtxt)
{
    TMainWindowSink *sink = MainWindowSink();
    if (!sink || sink->IsMainWindowShowing() || !sink->IsTrayIconVisible())
        return;
    sink->ShowTrayBalloon(Translate(QStringLiteral("ALARM!!!")), alarmtxt, TBalloonIcon::Warning, 10000);
}
