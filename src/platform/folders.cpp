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
    return QCoreApplication::applicationDirPath();
}

QString DataFilesFolderFor(const QString &programDir)
{
    // Run from the build tree (or a portable copy) the data files lie beside the program; installed, they
    // lie in <prefix>/share/ostrivo.
    const QDir beside(programDir);
    if (!beside.exists(QStringLiteral("transl.dt"))) {
        const QDir installed(beside.filePath(QStringLiteral(OSTRIVO_DATA_FROM_BIN)));
        if (installed.exists(QStringLiteral("transl.dt")))
            return installed.absolutePath();
    }
    return beside.absolutePath();
}

QString ProgramFilePath() { return QCoreApplication::applicationFilePath(); }

} // namespace platform
