#include "notify/alertsenders.h"

#include "notify/email.h"
#include "notify/smsalerts.h"

TAlertSenders::TAlertSenders() { SetAlertSenders(this); }

TAlertSenders::~TAlertSenders() { SetAlertSenders(nullptr); }

void TAlertSenders::EmailOnTimer(TCamera &camera) { ::EmailOnTimer(camera); }

void TAlertSenders::SMSOnTimer(TCamera &camera) { ::SMSOnTimer(camera); }
