#pragma once
// Shared libraries that lie beside the program and are loaded at run time.
#include <QString>

namespace platform {

// The file name of a shared library of the given base name on this system: "smsengine" gives
// "libsmsengine.so" on Linux and "smsengine.dll" on Windows.
QString SharedLibraryFileName(const QString &baseName);

} // namespace platform
