#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace platform {

bool OpenUrl(const QString &url)
{
    const QUrl target = QFileInfo(url).isDir() ? QUrl::fromLocalFile(url) : QUrl(url);
    return QDesktopServices::openUrl(target);
}

bool StartProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool StartNewInstance(const QStringList &arguments)
{
    return StartProgram(QCoreApplication::applicationFilePath(), arguments);
}

} // namespace platform
