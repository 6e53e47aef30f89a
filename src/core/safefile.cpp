#include "core/safefile.h"

#include "core/clock.h"
#include "core/datetime.h"
#include "core/translation.h"
#include "platform/filesync.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

bool ReplaceFileContent(const QString &path, QByteArrayView content, QString *error)
{
    QSaveFile file(path);
    // Every step is checked on its own: a buffered write that fails only at the flush inside commit() would
    // otherwise still replace the old file with a short one.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(content.data(), content.size()) == content.size()
                         && file.flush() && file.error() == QFileDevice::NoError
                         && platform::SyncFileToDisk(file.handle()) && file.commit();
    if (written)
        return true;
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}

QString KeepDamagedFile(const QString &path)
{
    if (!QFile::exists(path))
        return {};
    const QString stem = path + QStringLiteral(".damaged-") + dt::ToQDateTime(Now()).toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = stem;
    for (int n = 2; QFile::exists(target); ++n)
        target = stem + u'-' + QString::number(n);
    if (QFile::copy(path, target))
        return target;
    if (QFile::rename(path, target))
        return target;
    return {};
}

QString LoadFailureText(const QString &path)
{
    QString text = Translate(QStringLiteral("Could not load settings. Please check the possibility to read from file "))
                   + QDir::toNativeSeparators(path);
    const QString kept = KeepDamagedFile(path);
    if (!kept.isEmpty())
        text += QStringLiteral(". ") + Translate(QStringLiteral("The unreadable file is kept as "))
                + QDir::toNativeSeparators(kept);
    return text;
}
