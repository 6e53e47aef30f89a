#include "platform/programlibrary.h"

namespace platform {

QString SharedLibraryFileName(const QString &baseName)
{
#ifdef Q_OS_WIN
    return baseName + QStringLiteral(".dll");
#else
    return QStringLiteral("lib") + baseName + QStringLiteral(".so");
#endif
}

} // namespace platform
