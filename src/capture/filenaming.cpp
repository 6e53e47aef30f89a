#include "capture/filenaming.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace {

QMutex counterLock;
QHash<QString, qint64> lastNumbers; // key: folder \n prefix \n extension (lower case) -> last number given

bool EndsInSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator());
}

// The number in front of ".ext" in a name that begins with the prefix: the run of digits before the
// extension (six of them for our own names, more once a counter passes 999999), or -1.
qint64 NumberInName(const QString &name, const QString &prefix, const QString &dotExtension)
{
    if (!name.startsWith(prefix) || !name.endsWith(dotExtension, Qt::CaseInsensitive))
        return -1;
    const qsizetype end = name.size() - dotExtension.size();
    qsizetype begin = end;
    while (begin > prefix.size() && name.at(begin - 1).isDigit() && end - begin < 18)
        --begin;
    if (begin == end)
        return -1;
    return QStringView(name).mid(begin, end - begin).toLongLong();
}

qint64 LargestNumberInFolder(const QString &folder, const QString &prefix, const QString &dotExtension)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    qint64 largest = 0;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        largest = qMax(largest, NumberInName(name, prefix, dotExtension));
    return largest;
}

} // namespace

QString NextSequentialFileName(const QString &folder, const QString &prefix, const QString &extension)
{
    const QString dotExtension = QLatin1Char('.') + extension;
    QString head = folder;
    if (!head.isEmpty() && !EndsInSeparator(head))
        head += QLatin1Char('/');
    head += prefix;

    const QString key = QDir::cleanPath(folder) + QLatin1Char('\n') + prefix + QLatin1Char('\n') + extension.toLower();
    QMutexLocker locker(&counterLock);
    auto found = lastNumbers.find(key);
    if (found == lastNumbers.end())
        found = lastNumbers.insert(key, LargestNumberInFolder(folder, prefix, dotExtension));
    QString name;
    do {
        ++found.value();
        name = head + QStringLiteral("%1").arg(found.value(), 6, 10, QLatin1Char('0')) + dotExtension;
    } while (QFileInfo::exists(name));
    return name;
}

void ResetSequentialFileNames()
{
    QMutexLocker locker(&counterLock);
    lastNumbers.clear();
}
