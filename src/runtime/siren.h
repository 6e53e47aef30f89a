#pragma once
// The one siren of the program. It plays on the main window's hidden player; two program-wide times in
// App() govern it: no siren starts before MinTimeOfNextSoundAlarm, and a playing siren is repeated only
// while now is earlier than StopCurrentSoundAlarm_Time.
#include <QString>

struct TCamera;

// The sound-file player the siren plays on (the main window's AudioPlayer).
class TSirenPlayer
{
public:
    virtual ~TSirenPlayer() = default;
    virtual void SetPlayerFileName(const QString &fileName) = 0;
    virtual void SetAudioVolume(int volume) = 0; // 0 .. 65535
    virtual void OpenPlayer() = 0;               // opens the file and starts playing it
    virtual void RunPlayer() = 0;                // plays the opened file again after its end
    virtual void Stop() = 0;
    virtual void ClosePlayer() = 0;
    virtual bool IsPlaying() const = 0;          // PlayerState() is ps_Playing
};

// Installs the player (not owned); nullptr removes it.
void SetSirenPlayer(TSirenPlayer *player);

// A camera volume of 0 .. 10 as a player volume of 0 .. 65535, rounded to the nearest integer with ties
// to the even one (5 gives 32768, 3 gives 19660); values outside 0 .. 10 are held to that range.
int SirenVolume(int alarmVolume);
// The sound file of a siren number: the program's folder + number + ".wav".
QString SirenSoundFile(int soundIndex);

// The siren step of the motion handler: starts the camera's siren when it is wanted, the program-wide
// delay has passed and the player is not playing. True when it started.
bool StartSirenIfDue(TCamera &camera);
// The player reported ps_Paused (the file played to its end): plays it again while the siren lasts.
void SirenPlayerPaused();

// The monitoring commands: the playing file ends its play and is not repeated.
void SilenceSiren();
// Monitoring switched on: the next motion may sound the siren at once.
void AllowNextSirenNow();
// Shutdown: stops the player and closes its file.
void CloseSirenPlayer();
