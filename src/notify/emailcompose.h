#pragma once
// What a camera's email says: the alert, the snapshot answer and the test email, with the camera's new
// snapshot files attached. User-interface thread (reads the output folder and the camera record).
#include "core/camera.h"
#include "notify/mailmessage.h"

struct TCameraEmail
{
    TMailMessage Message;
    bool HasAttachments = false;
};

// The snapshot files to attach: the listed ones from the last to the first, without those that existed
// when the detection (or the snapshot command) began.
QStringList NewSnapshots(const QStringList &listed, const QStringList &initial);

// The alert or snapshot email with the camera's current settings. Snapshots are attached to a snapshot
// email always and to an alert email when both notification_AttachSnapshotsToEmail and
// recording_TakeSnapshots are set; a file that can no longer be read is left out.
TCameraEmail ComposeCameraEmail(const TCamera &camera, TEmailType emailType);

// The camera dialog's test email with the values as they stand: one plain text, no parts.
TMailMessage ComposeTestEmail(const TCamera &values);
