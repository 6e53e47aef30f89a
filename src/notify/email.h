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
// restores its cursor and button). context: finished is not called once it is destroyed; when it is a
// widget (the button), it is disabled until the answer. The wait cursor shows until the answer.
void SendTestEmail(const TCamera &values, QObject *context, std::function<void()> finished);

// The camera's Email_Timer handler: switches the timer off and sends the alert email, unless email is off
// for the camera, the shared SMTP client is busy, the handler is already running or the program shuts down.
void EmailOnTimer(TCamera &camera);

// The provider's page opened after the hint for Google mail.
inline constexpr const char *GmailAppPasswordsPage = "https://myaccount.google.com/apppasswords";
