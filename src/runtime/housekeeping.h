#pragma once
// The output folder's recordings: listing a camera's snapshots and deleting old videos and snapshots.
#include <QStringList>

struct TCamera;

// Replaces list with the full paths of the camera's snapshot files: ordinary files directly in the output
// folder named <title>_*.jpg. A folder that cannot be listed logs an error line and leaves list empty.
void UpdateListOfAvailableSnaphots(const TCamera &camera, QStringList &list);

// Deletes every *.avi, then every *.jpg file directly in the output folder that was last modified more
// than AutoDeleteOlderThen_Days days ago. Failures end the pass silently.
void DeleteOldRecordings();
// The same, only when AutoDeleteOldRecordings is set (start-up, Timer1, settings applied).
void DeleteOldRecordingsIfEnabled();
