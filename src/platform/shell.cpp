#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

namespace platform {

QString LocalFileOfUrl(const QString &url)
{
    if (QFileInfo(url).isDir())
        return url;
    const QUrl address(url);
    if (!address.isLocalFile())
        return QString();
    const QString file = address.toLocalFile();
    static const QRegularExpression pageName(QStringLiteral("^[A-Za-z0-9_-]+\\.html$"));
    const QString query = address.query(QUrl::FullyDecoded);
    if (pageName.match(query).hasMatch())
        return QFileInfo(file).absolutePath() + u'/' + query;
    return file;
}

bool OpenUrl(const QString &url)
{
    const QString local = LocalFileOfUrl(url);
    return QDesktopServices::openUrl(local.isEmpty() ? QUrl(url) : QUrl::fromLocalFile(local));
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
