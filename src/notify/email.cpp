#include "notify/email.h"

// Placeholder until email sending is built.
void SendEmail(TCamera &, TEmailType) {}
void SendTestEmail(const TCamera &, QObject *, std::function<void()> finished)
{
    if (finished)
        finished();
}
