#pragma once
// Opening pages and folders, starting programs.
#include <QString>
#include <QStringList>

namespace platform {

// Opens a web address in the default browser, or a local folder in the file manager. A local page
// addressed with another page of its folder as the query ("file:///.../index.html?sms.html") opens that
// page: browsers handed a local file do not always keep the query.
bool OpenUrl(const QString &url);
// The local file an address opens by the rule above; empty for an address that is not a local file.
QString LocalFileOfUrl(const QString &url);
// Starts a program detached from this one; false when it could not be started.
bool StartProgram(const QString &program, const QStringList &arguments = {});
// Starts a new instance of this program.
bool StartNewInstance(const QStringList &arguments = {});

} // namespace platform
