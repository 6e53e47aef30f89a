#pragma once
// set.dat: the general settings in DataFolder, and the run-at-logon entry they control.
//
// Layout (little-endian, packed): format number 10 (int32), Language (int32), AutostartWithWindows,
// HideToTrayOnAutostart, MaximizeAppOnDetection, ReconnectCameraIfDown, AutoDeleteOldRecordings (one byte
// each), ReconnectionInterval_sec, AutoDeleteOlderThen_Days (int32), OutputFolderForVideosAndSnapshots
// (text), DateTimeOverlay, CameraTitleOverlay (byte), DelayBetweenEmailsAndSMS_min (int32),
// SMS_ControlEnabled (byte), SMS_Username, SMS_APIKey and the four command words (texts). Bytes after the
// last field are ignored.
#include "core/settings.h"

#include <QByteArray>
#include <QString>

QString SettingsFilePath();

QByteArray EncodeSettings(const TGlobalSettings &settings);
// Reads the fields in file order; the format number is ignored. On a file too short for its fields it stops:
// the fields read so far hold the file's values, the others keep theirs, and the result is false.
bool DecodeSettings(const QByteArray &data, TGlobalSettings &settings);

// Every field to its default; Language takes the start-up default language, the output folder
// DefaultOutputFolder.
void SetDefaultSettings();
// False when there is no set.dat or it cannot be read (no message when there is none); true once its
// content was read, even if decoding it then failed (reported with the restart question).
bool LoadSettings();
// Writes set.dat (replacing the old file only once the new one is complete); a failure is reported.
bool SaveSettings();

// The run-at-logon command: the quoted program path and " /hide", or the bare path.
QString AutostartCommand(bool hideToTray);
// Writes or removes the run-at-logon entry; a failure is reported with the restart question.
void SetAutostart(bool enable, bool hideToTray);
