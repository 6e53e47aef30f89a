#include "platform/filesync.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace platform {

bool SyncFileToDisk(int fileHandle)
{
    if (fileHandle < 0)
        return false;
#ifdef Q_OS_WIN
    return _commit(fileHandle) == 0;
#else
    return ::fsync(fileHandle) == 0;
#endif
}

} // namespace platform
