#pragma once
// The per-user run-at-logon entry. Linux: ~/.config/autostart/<name>.desktop whose Exec line holds the
// command; Windows: the value <name> under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.
#include <QString>

namespace platform {

// Writes the entry; false when it could not be written.
bool SetRunAtLogon(const QString &name, const QString &command);
// Removes the entry; a missing entry is not an error. False when it exists and could not be removed.
bool RemoveRunAtLogon(const QString &name);
// Where the entry lives (Linux: the .desktop file).
QString RunAtLogonLocation(const QString &name);

} // namespace platform
