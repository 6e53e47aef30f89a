#include "capture/soundplayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

TSoundPlayer::TSoundPlayer(QObject *parent)
    : QObject(parent)
{
}

TSoundPlayer::~TSoundPlayer()
{
    OnPlayerStateChanged = nullptr;
    if (m_player)
        m_player->stop();
}

void TSoundPlayer::EnsurePlayer()
{
    if (m_player)
        return;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_output->setVolume(float(m_volume) / 65535.0f);
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status != QMediaPlayer::EndOfMedia || m_state != ps_Playing)
            return;
        // The backend may still deliver the end of the file played before this start (another file or the
        // same one again): an end that comes right after the start of a longer file is that stale one.
        const qint64 sinceStart = m_sinceStart.elapsed();
        const qint64 duration = m_player->duration();
        if (sinceStart < 150 && (duration <= 0 || duration > sinceStart + 50)) {
            // Looked at again shortly: a real end leaves the player at the end, a stale one does not.
            QTimer::singleShot(200, this, [this, start = m_starts] {
                if (start == m_starts && m_state == ps_Playing
                    && m_player->mediaStatus() == QMediaPlayer::EndOfMedia)
                    SetState(ps_Paused);
            });
            return;
        }
        SetState(ps_Paused);
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString &text) {
        if (error == QMediaPlayer::NoError)
            return;
        m_lastError = text;
        if (m_state == ps_Playing)
            SetState(ps_Stopped);
    });
}

void TSoundPlayer::SetState(TPlayerState state)
{
    if (state == m_state)
        return;
    const TPlayerState old = m_state;
    m_state = state;
    if (OnPlayerStateChanged)
        OnPlayerStateChanged(old, state);
}

void TSoundPlayer::SetAudioVolume(int volume)
{
    m_volume = qBound(0, volume, 65535);
    if (m_output)
        m_output->setVolume(float(m_volume) / 65535.0f);
}

// Plays from the beginning and reports ps_Playing, or ps_Stopped when the backend refused at once.
void TSoundPlayer::Restart()
{
    m_player->setPosition(0);
    m_sinceStart.start();
    ++m_starts;
    m_player->play();
    if (m_player->error() != QMediaPlayer::NoError) {
        m_lastError = m_player->errorString();
        SetState(ps_Stopped);
    } else {
        SetState(ps_Playing);
    }
}

bool TSoundPlayer::OpenPlayer()
{
    EnsurePlayer();
    m_lastError.clear();
    m_player->stop();
    const QFileInfo file(m_fileName);
    if (!file.isFile() || !file.isReadable()) {
        m_player->setSource(QUrl());
        m_lastError = QStringLiteral("cannot open ") + m_fileName;
        SetState(ps_Stopped);
        return false;
    }
    m_player->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    Restart();
    return m_state == ps_Playing;
}

bool TSoundPlayer::RunPlayer()
{
    if (!m_player || m_player->source().isEmpty())
        return false;
    Restart();
    return m_state == ps_Playing;
}

void TSoundPlayer::Stop()
{
    if (m_player)
        m_player->stop();
    if (m_state != ps_Closed)
        SetState(ps_Stopped);
}

void TSoundPlayer::ClosePlayer()
{
    if (m_player) {
        m_player->stop();
        m_player->setSource(QUrl());
    }
    SetState(ps_Closed);
}
