#pragma once
// The per-user configuration values that live outside the program's own files (Linux: keys of
// ~/.config/<appName>/<appName>.conf; Windows: values under HKCU\Software\<appName>).
#include <QString>
#include <QVariant>

namespace platform {

// Where the values are kept (Linux: the file; Windows: the registry key).
QString UserConfigLocation(const QString &appName);
// A value; an invalid QVariant when absent.
QVariant UserConfigValue(const QString &appName, const QString &key);
// Writes a value (an empty or invalid one removes the key); false when it could not be written.
bool SetUserConfigValue(const QString &appName, const QString &key, const QVariant &value);

} // namespace platform
