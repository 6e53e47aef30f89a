#pragma once
// Replacing a whole file so that a failure at any point (a full disk, a write error, a kill) leaves the
// previous file as it was.
#include <QByteArrayView>
#include <QString>

// Writes `content` to a temporary file beside `path`, flushes and syncs it to disk, and only then renames it
// over `path`. On failure the temporary file is removed, `path` is untouched, and `error` (when given)
// receives the system's description.
bool ReplaceFileContent(const QString &path, QByteArrayView content, QString *error = nullptr);

// Keeps the unreadable file `path` beside it as "<name>.damaged-<yyyymmdd-hhmmss>" (with "-2", "-3"... when
// that name is taken: an earlier copy is never overwritten). The copy is made by copying; when that fails
// (a full disk) the file itself is renamed. Returns the kept file's path, or an empty text when neither
// worked.
QString KeepDamagedFile(const QString &path);

// The error text for a settings file that could not be read: the fixed sentence with the path, and, when the
// unreadable file could be kept (KeepDamagedFile), the name of the copy.
QString LoadFailureText(const QString &path);
