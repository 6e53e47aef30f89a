#include "notify/smsalerts.h"

// Placeholder until alert SMS are built.
void SMSOnTimer(TCamera &) {}
void SendTestSMS(const TCamera &, QObject *, std::function<void()> finished)
{
    if (finished)
        finished();
}
