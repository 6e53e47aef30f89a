#include "monitorfixture.h"

#include "runtime/housekeeping.h"

#include <QTemporaryDir>
#include <QtTest>

class TestHousekeeping : public QObject
{
    Q_OBJECT

    // Creates the file (and its folder) last modified the given number of seconds before now.
    static void Touch(const QString &path, double secondsAgo = 0)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(dt::ToQDateTime(Now() - secondsAgo * dt::OneSecond), QFileDevice::FileModificationTime));
    }

    static QStringList Remaining(const QTemporaryDir &folder)
    {
        QStringList names;
        QDirIterator it(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            names << QDir(folder.path()).relativeFilePath(it.next());
        names.sort();
        return names;
    }

private slots:
    void listsTheCamerasSnapshotsOnly()
    {
        QTemporaryDir folder;
        TRuntimeFixture f(At(2024, 6, 15, 12, 0));
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = folder.path();
        for (const char *name : {"Door_000001.jpg", "Door_2_000001.jpg", "Door_000002.JPG", "Door_000001.avi",
                                 "Doorbell_000001.jpg", "Garage_000001.jpg", "sub/Door_000003.jpg", "Cam1_000001.jpg",
                                 "Cam[1]_000001.jpg"})
            Touch(folder.filePath(name));
        QDir().mkpath(folder.filePath("Door_folder.jpg"));
        TCamera &door = f.AddCamera("Door");
        QStringList list{"stale entry"};
        UpdateListOfAvailableSnaphots(door, list);
        const QString prefix = folder.path() + "/";
        QCOMPARE(list, (QStringList{prefix + "Door_000001.jpg", prefix + "Door_000002.JPG", prefix + "Door_2_000001.jpg"}));
        // A title is plain text, not a pattern.
        door.CustomTitle = "Cam[1]";
        UpdateListOfAvailableSnaphots(door, list);
        QCOMPARE(list, QStringList{prefix + "Cam[1]_000001.jpg"});
        QVERIFY(f.log.Take().isEmpty());
    }

    void missingFolderLogsAndYieldsNothing()
    {
        TRuntimeFixture f(At(2024, 6, 15, 12, 0));
        const QString missing = QDir::temp().filePath("ostrivo-no-such-folder");
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = missing;
        QStringList list{"stale entry"};
        UpdateListOfAvailableSnaphots(f.AddCamera("Door"), list);
        QVERIFY(list.isEmpty());
        QCOMPARE(f.log.Take(), QStringList{"ERROR: Could not update the list of available snapshots in directory " +
                                           QDir::toNativeSeparators(missing + "/")});
        DeleteOldRecordings(); // nothing to do, nothing reported
        QVERIFY(f.log.Take().isEmpty());
        App().GlobalSettings.OutputFolderForVideosAndSnapshots.clear(); // no folder is not the root folder
        UpdateListOfAvailableSnaphots(f.AddCamera("Gate"), list);
        QVERIFY(list.isEmpty() && f.log.Take().size() == 1);
    }

    void deletesOldVideosAndPicturesOnly()
    {
        QTemporaryDir folder;
        TRuntimeFixture f(At(2024, 6, 15, 12, 0));
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = folder.path();
        App().GlobalSettings.AutoDeleteOlderThen_Days = 7;
        const double day = 86400, minute = 60, hour = 3600;
        Touch(folder.filePath("Door_000001.avi"), 7 * day + minute);
        Touch(folder.filePath("Door_000002.avi"), 6 * day + 23 * hour);
        Touch(folder.filePath("Other.JPG"), 8 * day);
        Touch(folder.filePath("Door_000001.jpg"), 6 * day);
        Touch(folder.filePath("notes.txt"), 30 * day);
        Touch(folder.filePath("sub/Door_000009.avi"), 30 * day);

        App().GlobalSettings.AutoDeleteOldRecordings = false;
        DeleteOldRecordingsIfEnabled();
        QCOMPARE(Remaining(folder).size(), 6);

        App().GlobalSettings.AutoDeleteOldRecordings = true;
        DeleteOldRecordingsIfEnabled();
        QCOMPARE(Remaining(folder), (QStringList{"Door_000001.jpg", "Door_000002.avi", "notes.txt", "sub/Door_000009.avi"}));

        // 0 days: everything modified before the pass.
        App().GlobalSettings.AutoDeleteOlderThen_Days = 0;
        Touch(folder.filePath("Door_000003.avi"), 1);
        DeleteOldRecordings();
        QCOMPARE(Remaining(folder), (QStringList{"notes.txt", "sub/Door_000009.avi"}));
    }
};

QTEST_GUILESS_MAIN(TestHousekeeping)
#include "tst_housekeeping.moc"
