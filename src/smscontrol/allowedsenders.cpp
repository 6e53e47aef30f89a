#include "smscontrol/allowedsenders.h"

#include "core/main.h"
#include "platform/userconfig.h"
#include "smscontrol/smscommands.h"

namespace {
const QString AllowedSendersKey = QStringLiteral("SMSAllowedSenders");
}

QStringList AllowedSMSSenders()
{
    // Written by the program as one text; a list written by hand (several values) is taken as well.
    const QVariant value = platform::UserConfigValue(ApplicationTitle, AllowedSendersKey);
    return SplitPhoneNumberList(value.toStringList().join(u','));
}

bool SetAllowedSMSSenders(const QStringList &numbers)
{
    return platform::SetUserConfigValue(ApplicationTitle, AllowedSendersKey, numbers.join(QStringLiteral(", ")));
}
