#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace platform {

QString AppDataFolder()
{
#ifdef Q_OS_WIN
    const QString folder = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return QString();
    return folder;
}

QString UserConfigFolder() { return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation); }

QString ProgramFolder()
{
    // Run from the build tree (or a portable copy) the data files lie beside the program; installed, they
    // lie in <prefix>/share/ostrivo.
    const QDir programDir(QCoreApplication::applicationDirPath());
    if (!programDir.exists(QStringLiteral("transl.dt"))) {
        const QDir installed(programDir.filePath(QStringLiteral(OSTRIVO_DATA_FROM_BIN)));
        if (installed.exists(QStringLiteral("transl.dt")))
            return installed.absolutePath();
    }
    return programDir.absolutePath();
}

QString ProgramFilePath() { return QCoreApplication::applicationFilePath(); }

} // namespace platform
