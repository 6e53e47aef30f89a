#pragma once
// The notifications' answer to a camera's due alert: the alert email and the alert SMS. app/main.cpp
// creates one for the run; it installs itself as the camera runtime's alert senders for its lifetime.
#include "runtime/alarms.h"

class TAlertSenders : public IAlertSenders
{
public:
    TAlertSenders();
    ~TAlertSenders() override;
    TAlertSenders(const TAlertSenders &) = delete;
    TAlertSenders &operator=(const TAlertSenders &) = delete;

    void EmailOnTimer(TCamera &camera) override;
    void SMSOnTimer(TCamera &camera) override;
};
