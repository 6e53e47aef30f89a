#pragma once
// Alert and snapshot email of a camera, over the mail settings of its record.
#include "core/camera.h"

#include <functional>

class QObject;

// Composes the email of the given kind with the camera's current settings and sends it; the network
// transfer runs on a worker thread, success and failure are reported by log lines. Dropped without a line
// while another email is in transfer. User-interface thread.
void SendEmail(TCamera &camera, TEmailType emailType);

// The camera dialog's "Send Test Email" with the values as they stand in the dialog (nothing is saved):
// sends on a worker thread, shows the answer on the user-interface thread, then calls finished (the dialog
// restores its cursor and button). context: finished is not called once it is destroyed.
void SendTestEmail(const TCamera &values, QObject *context, std::function<void()> finished);
