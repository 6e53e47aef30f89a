#pragma once
// Opening pages and folders, starting programs.
#include <QString>
#include <QStringList>

namespace platform {

// Opens a web address in the default browser, or a local folder in the file manager.
bool OpenUrl(const QString &url);
// Starts a program detached from this one; false when it could not be started.
bool StartProgram(const QString &program, const QStringList &arguments = {});
// Starts a new instance of this program.
bool StartNewInstance(const QStringList &arguments = {});

} // namespace platform
