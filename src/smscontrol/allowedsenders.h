#pragma once
// The numbers whose SMS commands are obeyed, kept in the per-user configuration beside the "Language" value
// (key SMSAllowedSenders, the numbers separated by commas). Empty: every sender is obeyed.
#include <QStringList>

QStringList AllowedSMSSenders();
// False when the configuration could not be written.
bool SetAllowedSMSSenders(const QStringList &numbers);
