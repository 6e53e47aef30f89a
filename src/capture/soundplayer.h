#pragma once
// The capture component's sound-file player (WAV sirens), on QMediaPlayer + QAudioOutput.
//
// States: ps_Closed -> OpenPlayer -> ps_Playing -> (end of file) ps_Paused -> RunPlayer -> ps_Playing ...;
// Stop gives ps_Stopped, ClosePlayer ps_Closed, a file that cannot be played ps_Stopped. Every change is
// reported through OnPlayerStateChanged. Without a sound device the media backend plays into a null sink
// in real time, so the end of the file still comes on time. The media player is created on first use:
// components that never play a sound cost nothing.
//
// Threads: UI thread only (create, call and receive the events there).
#include "capture/playerstate.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

class QAudioOutput;
class QMediaPlayer;

class TSoundPlayer : public QObject
{
    Q_OBJECT
public:
    explicit TSoundPlayer(QObject *parent = nullptr);
    ~TSoundPlayer() override;

    QString PlayerFileName() const { return m_fileName; }
    void SetPlayerFileName(const QString &fileName) { m_fileName = fileName; }
    // 0 (silent) .. 65535 (loudest); applies at once, also while playing.
    int AudioVolume() const { return m_volume; }
    void SetAudioVolume(int volume);

    // Opens PlayerFileName and starts playing it from its beginning. False (and ps_Stopped, LastError)
    // when the file does not exist.
    bool OpenPlayer();
    // Plays the opened file again from its beginning; false when nothing is open.
    bool RunPlayer();
    // Stops playing; the file stays open.
    void Stop();
    // Stops and closes the file.
    void ClosePlayer();

    TPlayerState PlayerState() const { return m_state; }
    QString LastError() const { return m_lastError; }

    // (old state, new state), on the UI thread. The handler may call the player (RunPlayer) directly.
    std::function<void(TPlayerState, TPlayerState)> OnPlayerStateChanged;

private:
    void EnsurePlayer();
    void SetState(TPlayerState state);
    void Restart();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    QString m_fileName;
    int m_volume = 65535;
    TPlayerState m_state = ps_Closed;
    QString m_lastError;
    QElapsedTimer m_sinceStart; // since the last start of playing
    quint64 m_starts = 0;       // counts the starts, to tell a late report from a current one
};
