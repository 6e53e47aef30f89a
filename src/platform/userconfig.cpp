#include "platform/userconfig.h"

#include "platform/folders.h"

#include <QSettings>

#include <memory>

namespace platform {

namespace {

std::unique_ptr<QSettings> OpenUserConfig(const QString &appName)
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(UserConfigLocation(appName), QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(UserConfigLocation(appName), QSettings::IniFormat);
#endif
}

bool IsEmptyValue(const QVariant &value)
{
    if (!value.isValid())
        return true;
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().isEmpty();
    return value.typeId() == QMetaType::QString && value.toString().isEmpty();
}

} // namespace

QString UserConfigLocation(const QString &appName)
{
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + appName;
#else
    return UserConfigFolder() + '/' + appName + '/' + appName + QStringLiteral(".conf");
#endif
}

QVariant UserConfigValue(const QString &appName, const QString &key)
{
    return OpenUserConfig(appName)->value(key);
}

bool SetUserConfigValue(const QString &appName, const QString &key, const QVariant &value)
{
    const auto settings = OpenUserConfig(appName);
    if (IsEmptyValue(value))
        settings->remove(key);
    else
        settings->setValue(key, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace platform
