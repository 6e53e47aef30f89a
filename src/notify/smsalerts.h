#pragma once
// Alert SMS of a camera through the SMS gateway library.
#include "core/camera.h"

#include <functional>

class QObject;

// The camera's alert SMS ("A movement has been detected by camera <title>") to its phone number through its
// gateway account; the motion handler calls it when an SMS is due. Switches SMS_Timer off; does nothing
// when SMS delivery is off, an SMS of this camera is still being sent (SMS_Timer's tag) or the program is
// shutting down. The library call runs on a worker thread; the tag stays 1 until its answer has been
// handled on the user-interface thread, where a failure writes one "ERROR: Could not send sms to ..." line.
// User-interface thread.
void SMSOnTimer(TCamera &camera);

// The camera dialog's "Send Test SMS" with the values as they stand in the dialog (nothing is saved): the
// library call runs on a worker thread, the answer is shown on the user-interface thread, then finished is
// called. context: finished is not called once it is destroyed.
void SendTestSMS(const TCamera &values, QObject *context, std::function<void()> finished);
