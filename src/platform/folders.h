#pragma once
// Where the program keeps its files: the per-user application-data folder and the program's own folder.
#include <QString>

namespace platform {

// The per-user application-data folder (Linux: $XDG_DATA_HOME, else ~/.local/share; Windows: %APPDATA%),
// created when it is missing. Empty when the system cannot supply it.
QString AppDataFolder();

// The per-user configuration folder (Linux: $XDG_CONFIG_HOME, else ~/.config).
QString UserConfigFolder();

// The folder of the data files that ship with the program (transl.dt, the sounds, the icons...): the
// program's own folder when they lie beside it (build tree), else <prefix>/share/ostrivo of an installed
// program. The program reads it through ::ProgramFolder() (core/services.h), which tests may point elsewhere.
QString ProgramFolder();
// The same for a program file in programDir.
QString ProgramFolderFor(const QString &programDir);

// The full path of the program file.
QString ProgramFilePath();

} // namespace platform
