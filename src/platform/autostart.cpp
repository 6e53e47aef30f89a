#include "platform/autostart.h"

#include "platform/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace platform {

#ifdef Q_OS_WIN

namespace {
const char RunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

QString RunAtLogonLocation(const QString &name) { return QString::fromLatin1(RunKey) + '\\' + name; }

bool SetRunAtLogon(const QString &name, const QString &command)
{
    QSettings run(QString::fromLatin1(RunKey), QSettings::NativeFormat);
    run.setValue(name, command);
    run.sync();
    return run.status() == QSettings::NoError;
}

bool RemoveRunAtLogon(const QString &name)
{
    QSettings run(QString::fromLatin1(RunKey), QSettings::NativeFormat);
    run.remove(name);
    run.sync();
    return run.status() == QSettings::NoError;
}

#else

QString RunAtLogonLocation(const QString &name)
{
    return UserConfigFolder() + QStringLiteral("/autostart/") + name + QStringLiteral(".desktop");
}

bool SetRunAtLogon(const QString &name, const QString &command)
{
    const QString path = RunAtLogonLocation(name);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(name, command);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(entry.toUtf8());
    return file.commit();
}

bool RemoveRunAtLogon(const QString &name)
{
    const QString path = RunAtLogonLocation(name);
    return !QFile::exists(path) || QFile::remove(path);
}

#endif

} // namespace platform
