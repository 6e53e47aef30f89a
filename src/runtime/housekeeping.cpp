#include "runtime/housekeeping.h"

#include "core/camera.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/translation.h"
#include "runtime/runtimesupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QString OutputFolder() { return App().GlobalSettings.OutputFolderForVideosAndSnapshots; }

// The output folder with one trailing separator, as paths and messages name it.
QString FolderWithSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool CanList(const QString &folder)
{
    // An empty setting names no folder; it must not turn into the root of the file system.
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isReadable();
}

// Ordinary files directly in the folder (no folders, no hidden or system entries) with this extension.
QFileInfoList FilesWithExtension(const QString &folder, const QString &extension)
{
    QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    files.removeIf([&](const QFileInfo &file) {
        return !file.fileName().endsWith(extension, Qt::CaseInsensitive);
    });
    return files;
}

} // namespace

void UpdateListOfAvailableSnaphots(const TCamera &camera, QStringList &list)
{
    const QString folder = OutputFolder();
    const QString prefix = FolderWithSeparator(folder);
    list.clear();
    if (!CanList(folder)) {
        AddLogLine(Translate(QStringLiteral("ERROR: Could not update the list of available snapshots in directory ")) +
                   QDir::toNativeSeparators(prefix));
        return;
    }
    // The title is matched as plain text: brackets or wildcards in a title are no pattern.
    const QString start = camera.CustomTitle + QLatin1Char('_');
    for (const QFileInfo &file : FilesWithExtension(folder, QStringLiteral(".jpg")))
        if (file.fileName().startsWith(start))
            list.append(prefix + file.fileName());
}

void DeleteOldRecordings()
{
    const TGlobalSettings &settings = App().GlobalSettings;
    const QString folder = OutputFolder();
    if (!CanList(folder))
        return;
    // A negative number of days would reach into the future and take files being written.
    const TDateTime limit = Now() - std::max(settings.AutoDeleteOlderThen_Days, 0);
    for (const QString &extension : {QStringLiteral(".avi"), QStringLiteral(".jpg")})
        for (const QFileInfo &file : FilesWithExtension(folder, extension))
            if (rt::IsEarlier(dt::FromQDateTime(file.lastModified()), limit))
                QFile::remove(file.absoluteFilePath()); // a file in use stays, unreported
}

void DeleteOldRecordingsIfEnabled()
{
    if (App().GlobalSettings.AutoDeleteOldRecordings)
        DeleteOldRecordings();
}
