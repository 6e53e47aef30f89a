#include "notify/smslibrary.h"

// Placeholder until the library binding is built.
TSMSLibraryResult CallSendSMS(const QString &, const QString &, const QString &, const QString &, int)
{
    return {0, QStringLiteral("libsmsengine.so is not available")};
}
TSMSLibraryResult CallGetSMS(const QString &, const QString &, int) { return {0, QStringLiteral("libsmsengine.so is not available")}; }
TSMSLibraryResult CallCheckSMSAccount(const QString &, const QString &, int)
{
    return {0, QStringLiteral("libsmsengine.so is not available")};
}
