#include "runtime/siren.h"

#include "platform/folders.h"

#include "core/camera.h"
#include "core/clock.h"
#include "core/main.h"
#include "core/translation.h"
#include "runtime/alarms.h"
#include "runtime/runtimesupport.h"

#include <QDir>

#include <algorithm>

namespace {
TSirenPlayer *g_player = nullptr;
}

void SetSirenPlayer(TSirenPlayer *player) { g_player = player; }

int SirenVolume(int alarmVolume)
{
    const int scaled = std::clamp(alarmVolume, 0, 10) * 65535;
    int volume = scaled / 10;
    const int remainder = scaled % 10;
    if (remainder > 5 || (remainder == 5 && volume % 2 != 0))
        ++volume;
    return volume;
}

QString SirenSoundFile(int soundIndex)
{
    return QDir(platform::ProgramFolder()).filePath(QString::number(soundIndex) + QStringLiteral(".wav"));
}

bool StartSirenIfDue(TCamera &camera)
{
    TApplicationState &app = App();
    const TDateTime now = Now();
    if (!camera.alarm_PlayAudioAlarm || !rt::IsLater(now, app.MinTimeOfNextSoundAlarm))
        return false;
    if (g_player && g_player->IsPlaying())
        return false;

    if (g_player) {
        g_player->SetPlayerFileName(SirenSoundFile(camera.alarm_SoundIndex));
        g_player->SetAudioVolume(SirenVolume(camera.alarm_Volume));
    }
    app.MinTimeOfNextSoundAlarm = now + camera.alarm_DelayBetweenSoundAlarms_min * dt::OneMinute;
    app.StopCurrentSoundAlarm_Time = now + camera.alarm_DurationOfAlarm_sec * dt::OneSecond;
    WriteAlarmLine(camera, Translate(QStringLiteral("Sirene is enabled")));
    if (g_player)
        g_player->OpenPlayer();
    return true;
}

void SirenPlayerPaused()
{
    if (g_player && rt::IsEarlier(Now(), App().StopCurrentSoundAlarm_Time))
        g_player->RunPlayer();
}

void SilenceSiren() { App().StopCurrentSoundAlarm_Time = Now(); }

void AllowNextSirenNow() { App().MinTimeOfNextSoundAlarm = Now(); }

void CloseSirenPlayer()
{
    if (!g_player)
        return;
    g_player->Stop();
    g_player->ClosePlayer();
}
