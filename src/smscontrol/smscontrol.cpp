#include "smscontrol/smscontrol.h"

#include "core/camera.h"
#include "core/log.h"
#include "core/main.h"
#include "core/timer.h"
#include "notify/email.h"
#include "runtime/cameraports.h"
#include "runtime/housekeeping.h"
#include "runtime/monitoring.h"
#include "smscontrol/allowedsenders.h"
#include "smscontrol/uithreadbridge.h"

#include <stdexcept>

namespace {

constexpr unsigned long EndOfRunWaitMs = 5000;

// Snapshot command on one camera with email delivery on: the files it has now, a new still, the email.
void SendSnapshot(TCamera &camera)
{
    UpdateListOfAvailableSnaphots(camera, camera.Email_InitialListOfSnapshots);
    if (TCameraControl *control = CameraControl(camera))
        control->CaptureFrameSyncTo(); // a failed capture still sends what there is
    SendEmail(camera, etSnapshot);
}

} // namespace

void TCameraCommandHost::Log(const QString &text)
{
    RequireUserInterfaceThread("TCameraCommandHost::Log");
    AddLogLine(text);
}

QList<TCameraOutcome> TCameraCommandHost::Execute(const TRecognisedCommand &command)
{
    RequireUserInterfaceThread("TCameraCommandHost::Execute");
    // The cameras are being released: the run ends here, without replies.
    if (IsShuttingDown())
        throw std::runtime_error("shutting down");
    QList<TCamera *> cameras;
    QStringList titles;
    for (const auto &camera : App().Cameras)
        if (camera) {
            cameras.append(camera.get());
            titles.append(camera->CustomTitle);
        }

    QList<TCameraOutcome> outcomes;
    for (const int index : AddressedCameras(titles, command.Argument)) {
        TCamera &camera = *cameras[index];
        switch (command.Command) {
        case TSMSCommand::Disable: SetMonitoring(camera, false); break;
        case TSMSCommand::Enable: SetMonitoring(camera, true); break;
        case TSMSCommand::Snapshot:
            if (camera.notification_SendToEmail)
                SendSnapshot(camera);
            break;
        case TSMSCommand::Status:
        case TSMSCommand::None: break;
        }
        const TCameraControl *control = CameraControl(camera);
        outcomes.append({camera.CustomTitle, control && !control->IsDown(), IsMonitoring(camera),
                         camera.notification_SendToEmail});
    }
    return outcomes;
}

TSMSControl::TSMSControl(TSMSCommandGateway *gateway, TSMSCommandHost *host, QObject *parent)
    : QObject(parent), m_gateway(gateway ? *gateway : LibrarySMSGateway()), m_host(host ? *host : m_cameraHost),
      m_bridge(TUiThreadBridge::Create(this))
{
}

TSMSControl::~TSMSControl()
{
    m_bridge->Cancel();
    if (!m_thread)
        return;
    disconnect(m_thread, nullptr, this, nullptr);
    if (m_thread->wait(EndOfRunWaitMs))
        delete m_thread.data();
    // Otherwise the worker is still inside a network call: it ends by itself, touching nothing of ours.
}

TSMSRunSettings TSMSControl::CurrentRunSettings()
{
    const TGlobalSettings &settings = App().GlobalSettings;
    TSMSRunSettings run;
    run.Username = settings.SMS_Username;
    run.APIKey = settings.SMS_APIKey;
    run.Words = {settings.SMS_Command_DisableDetection, settings.SMS_Command_EnableDetection,
                 settings.SMS_Command_CheckStatus, settings.SMS_Command_MakeSnapshot};
    run.AllowedSenders = AllowedSMSSenders();
    run.Texts = TSMSReplyTexts::Translated();
    return run;
}

void TSMSControl::SMSCommanderTimerTimer()
{
    TApplicationState &app = App();
    if (!app.GlobalSettings.SMS_ControlEnabled || app.Cameras.empty() || IsShuttingDown() || app.CheckingSMSCommands)
        return;
    app.CheckingSMSCommands = true;
    auto *thread = new TSMSCommanderThread(CurrentRunSettings(), m_gateway, m_host, m_bridge);
    m_thread = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        App().CheckingSMSCommands = false;
        thread->deleteLater();
        emit RunFinished();
    });
    thread->start(QThread::LowPriority);
}
