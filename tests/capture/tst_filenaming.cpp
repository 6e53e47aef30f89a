#include "capture/filenaming.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {
void Touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}
} // namespace

class TestFileNaming : public QObject
{
    Q_OBJECT
private slots:
    void init() { ResetSequentialFileNames(); }

    void continuesAfterLargestPerExtensionAndPrefix()
    {
        QTemporaryDir dir;
        for (const char *name : {"Cam_000007.jpg", "Cam_000003.jpg", "Other_000099.jpg", "Cam_000040.txt"})
            Touch(dir.filePath(name));
        QCOMPARE(NextSequentialFileName(dir.path(), "Cam_", "jpg"), dir.filePath("Cam_000008.jpg"));
        QCOMPARE(NextSequentialFileName(dir.path(), "Cam_", "jpg"), dir.filePath("Cam_000009.jpg"));
        // jpg and avi are counted apart.
        QCOMPARE(NextSequentialFileName(dir.path(), "Cam_", "avi"), dir.filePath("Cam_000001.avi"));
        QCOMPARE(NextSequentialFileName(dir.path(), "Other_", "jpg"), dir.filePath("Other_000100.jpg"));
        // A folder given with its separator gets no second one.
        QCOMPARE(NextSequentialFileName(dir.path() + "/", "Cam_", "avi"), dir.filePath("Cam_000002.avi"));
    }

    void skipsFilesThatAppearedMeanwhile()
    {
        QTemporaryDir dir;
        QCOMPARE(NextSequentialFileName(dir.path(), "Cam_", "jpg"), dir.filePath("Cam_000001.jpg"));
        Touch(dir.filePath("Cam_000002.jpg"));
        Touch(dir.filePath("Cam_000003.jpg"));
        QCOMPARE(NextSequentialFileName(dir.path(), "Cam_", "jpg"), dir.filePath("Cam_000004.jpg"));
    }

    void numbersGrowPastSixDigits()
    {
        QTemporaryDir dir;
        Touch(dir.filePath("Cam_999999.jpg"));
        QCOMPARE(NextSequentialFileName(dir.path(), "Cam_", "jpg"), dir.filePath("Cam_1000000.jpg"));
        Touch(dir.filePath("Cam_1000000.jpg"));
        ResetSequentialFileNames();
        // The whole number counts, not just its last six digits.
        QCOMPARE(NextSequentialFileName(dir.path(), "Cam_", "jpg"), dir.filePath("Cam_1000001.jpg"));
    }

    void threadsNeverGetTheSameName()
    {
        QTemporaryDir dir;
        constexpr int Threads = 4;
        constexpr int Each = 100;
        QList<QStringList> names(Threads);
        QList<QThread *> threads;
        for (int t = 0; t < Threads; ++t) {
            threads << QThread::create([&, t] {
                for (int i = 0; i < Each; ++i)
                    names[t] << NextSequentialFileName(dir.path(), "Cam_", "jpg");
            });
            threads.last()->start();
        }
        QSet<QString> all;
        for (int t = 0; t < Threads; ++t) {
            QVERIFY(threads[t]->wait(10000));
            delete threads[t];
            for (const QString &name : names[t])
                all.insert(name);
        }
        QCOMPARE(all.size(), Threads * Each);
        QVERIFY(all.contains(dir.filePath("Cam_000400.jpg")));
    }
};

QTEST_GUILESS_MAIN(TestFileNaming)
#include "tst_filenaming.moc"
