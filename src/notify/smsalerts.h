#pragma once
// Alert SMS of a camera through the SMS gateway library.
#include "core/camera.h"

#include <functional>

class QObject;

// The camera's SMS_Timer handler: sends the alert SMS to the camera's phone number.
void SMSOnTimer(TCamera &camera);

// The camera dialog's "Send Test SMS" with the values as they stand in the dialog (nothing is saved): the
// library call runs on a worker thread, the answer is shown on the user-interface thread, then finished is
// called. context: finished is not called once it is destroyed.
void SendTestSMS(const TCamera &values, QObject *context, std::function<void()> finished);
