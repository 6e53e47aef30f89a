#pragma once
// The camera state log: while the logging category ostrivo.camera is on at info level, every change of a
// camera's component between down, starting and live is written to it. The components are polled on the
// user-interface thread (a line per change, nothing per frame).
#include <QLoggingCategory>

#include <map>
#include <memory>

class QTimer;
struct TCamera;

// State changes of the cameras' components ("down", "starting", "live") at info level; off unless enabled
// (QT_LOGGING_RULES="ostrivo.camera.info=true").
Q_DECLARE_LOGGING_CATEGORY(ostrivoCamera)

class TCameraStateLog
{
public:
    TCameraStateLog();
    ~TCameraStateLog();
    TCameraStateLog(const TCameraStateLog &) = delete;
    TCameraStateLog &operator=(const TCameraStateLog &) = delete;

    // Starts polling, once, when the category is on.
    void StartIfEnabled();
    // The camera's component is going away.
    void Forget(const TCamera &camera);
    // One poll of every camera of App().
    void Poll();

private:
    enum class TState { Unknown, Down, Starting, Live };
    struct TWatched
    {
        TState State = TState::Unknown;
        quint32 FrameNumber = 0;
        qint64 FrameTime = -1;
    };
    static const char *StateName(TState state);

    std::map<const TCamera *, TWatched> m_watched;
    std::unique_ptr<QTimer> m_timer;
};
