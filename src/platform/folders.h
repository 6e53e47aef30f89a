#pragma once
// Where the program keeps its files: the per-user application-data folder and the program's own folder.
#include <QString>

namespace platform {

// The per-user application-data folder (Linux: $XDG_DATA_HOME, else ~/.local/share; Windows: %APPDATA%),
// created when it is missing. Empty when the system cannot supply it.
QString AppDataFolder();

// The per-user configuration folder (Linux: $XDG_CONFIG_HOME, else ~/.config).
QString UserConfigFolder();

// The folder of the program file (where the shared libraries it loads lie).
QString ProgramFolder();
// The folder of the data files that ship with the program (transl.dt, the sounds, the icons, the guide) for
// a program in programDir: programDir itself when they lie beside it (build tree), else
// <prefix>/share/ostrivo of an installed program. The program reads both through core/services.h, where
// tests may point them elsewhere.
QString DataFilesFolderFor(const QString &programDir);

// The full path of the program file.
QString ProgramFilePath();

} // namespace platform
