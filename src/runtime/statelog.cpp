#include "runtime/statelog.h"

#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/main.h"

#include <QTimer>

Q_LOGGING_CATEGORY(ostrivoCamera, "ostrivo.camera", QtWarningMsg)

namespace {
constexpr int StateWatchIntervalMs = 200;
}

TCameraStateLog::TCameraStateLog() = default;

TCameraStateLog::~TCameraStateLog() = default;

const char *TCameraStateLog::StateName(TState state)
{
    switch (state) {
    case TState::Down: return "down";
    case TState::Starting: return "starting";
    case TState::Live: return "live";
    case TState::Unknown: break;
    }
    return "unknown";
}

void TCameraStateLog::StartIfEnabled()
{
    if (m_timer || !ostrivoCamera().isInfoEnabled())
        return;
    m_timer = std::make_unique<QTimer>();
    m_timer->setInterval(StateWatchIntervalMs);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { Poll(); });
    m_timer->start();
}

void TCameraStateLog::Forget(const TCamera &camera) { m_watched.erase(&camera); }

void TCameraStateLog::Poll()
{
    for (const auto &camera : App().Cameras) {
        if (!camera->Grabber)
            continue;
        TWatched &watched = m_watched[camera.get()];
        const TVideoFrame frame = camera->Grabber->LatestFrame();
        const bool newFrame = !frame.Image.isNull()
                              && (frame.Number != watched.FrameNumber || frame.Time != watched.FrameTime);
        watched.FrameNumber = frame.Number;
        watched.FrameTime = frame.Time;
        TState state = TState::Down;
        if (camera->Grabber->CurrentState() != cs_Down)
            state = newFrame ? TState::Live : (watched.State == TState::Live ? TState::Live : TState::Starting);
        if (state != watched.State) {
            watched.State = state;
            qCInfo(ostrivoCamera).noquote() << "camera" << camera->CustomTitle << StateName(state);
        }
    }
}
