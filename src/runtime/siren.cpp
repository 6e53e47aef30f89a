#include "runtime/siren.h"

#include "core/camera.h"
#include "core/clock.h"
#include "core/main.h"
#include "core/translation.h"
#include "runtime/alarms.h"
#include "runtime/runtimeservices.h"
#include "runtime/runtimesupport.h"

#include <QDir>

#include <algorithm>

namespace {
TSirenPlayer *Player() { return RuntimeServices().SirenPlayer; }
}

void SetSirenPlayer(TSirenPlayer *player) { RuntimeServices().SirenPlayer = player; }

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
    return QDir(DataFilesFolder()).filePath(QString::number(soundIndex) + QStringLiteral(".wav"));
}

bool StartSirenIfDue(TCamera &camera)
{
    TApplicationState &app = App();
    const TDateTime now = Now();
    if (!camera.alarm_PlayAudioAlarm || !rt::IsLater(now, app.MinTimeOfNextSoundAlarm))
        return false;
    if (Player() && Player()->IsPlaying())
        return false;

    if (Player()) {
        Player()->SetPlayerFileName(SirenSoundFile(camera.alarm_SoundIndex));
        Player()->SetAudioVolume(SirenVolume(camera.alarm_Volume));
    }
    app.MinTimeOfNextSoundAlarm = now + camera.alarm_DelayBetweenSoundAlarms_min * dt::OneMinute;
    app.StopCurrentSoundAlarm_Time = now + camera.alarm_DurationOfAlarm_sec * dt::OneSecond;
    WriteAlarmLine(camera, Translate(QStringLiteral("Sirene is enabled")));
    if (Player())
        Player()->OpenPlayer();
    return true;
}

void SirenPlayerPaused()
{
    if (Player() && rt::IsEarlier(Now(), App().StopCurrentSoundAlarm_Time))
        Player()->RunPlayer();
}

void SilenceSiren() { App().StopCurrentSoundAlarm_Time = Now(); }

void AllowNextSirenNow() { App().MinTimeOfNextSoundAlarm = Now(); }

void CloseSirenPlayer()
{
    if (!Player())
        return;
    Player()->Stop();
    Player()->ClosePlayer();
}
