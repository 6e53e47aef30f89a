// ostrivo-motion, run as a program on picture files written here.
#include "motionframes.h"
#include "testpaths.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct TRun
{
    int Status = -1;
    QString Out, Err;
};

TRun RunReplay(const QStringList &arguments)
{
    QProcess process;
    process.start(BuiltFile(QStringLiteral("ostrivo-motion")), arguments);
    TRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestMotionReplay : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString still, moved;

    QString Save(const QImage &image, const QString &name)
    {
        const QString path = dir.filePath(name);
        if (!image.save(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(BuiltFile(QStringLiteral("ostrivo-motion"))), "build ostrivo-motion first");
        // 64 x 48 on 2 x 2: column cells x 0..33 and 34..62, row cells y 0..24 and 25..46.
        QImage image = SolidFrame(64, 48, 80, 80, 80);
        still = Save(image, QStringLiteral("still.png"));
        for (int y = 30; y < 40; ++y)
            for (int x = 40; x < 50; ++x)
                SetBgr(image, x, y, 200, 200, 200);
        moved = Save(image, QStringLiteral("moved.png"));
    }

    void printsFramesAndCounts()
    {
        const TRun run = RunReplay({QStringLiteral("--grid-size"), QStringLiteral("2x2"), QStringLiteral("--counts"),
                                    still, moved, moved});
        QCOMPARE(run.Status, 0);
        QCOMPARE(run.Out, QStringLiteral("frame 1: none\n"
                                         "frame 2: motion ratio=0.033772 cell=1,1\n" // 100 / 2961
                                         "  0/850 0/725\n"
                                         "  0/748 100/638\n"
                                         "frame 3: none\n"
                                         "  0/850 0/725\n"
                                         "  0/748 0/638\n"));
        QCOMPARE(run.Err, QString());
    }

    void appliesDetectorOptions()
    {
        const QString size = QStringLiteral("--grid-size"), grid = QStringLiteral("2x2");
        // Only the changed cell switched on.
        TRun run = RunReplay({size, grid, QStringLiteral("--grid"), QStringLiteral("00 05"), still, moved});
        QCOMPARE(run.Out, QStringLiteral("frame 1: none\nframe 2: motion ratio=0.156740 cell=1,1\n"));
        run = RunReplay({QStringLiteral("--sensitivity"), QStringLiteral("0"), still, moved});
        QCOMPARE(run.Out, QStringLiteral("frame 1: none\nframe 2: none\n"));
        // Every second pixel: 32 x 24 samples, the block gives 5 x 5.
        run = RunReplay({size, QStringLiteral("1x1"), QStringLiteral("--step"), QStringLiteral("2"), QStringLiteral("--counts"),
                         still, moved});
        QCOMPARE(run.Out, QStringLiteral("frame 1: none\nframe 2: motion ratio=0.032552 cell=0,0\n  25/768\n"));

        // Two analyses a second: with frames 100 ms apart only frame 2 is analysed, with 600 ms all.
        const QStringList frames = {still, moved, still, moved};
        run = RunReplay(QStringList{QStringLiteral("--max-per-second"), QStringLiteral("2")} + frames);
        QCOMPARE(run.Out, QStringLiteral("frame 1: none\nframe 2: motion ratio=0.033772 cell=7,6\n"
                                         "frame 3: none\nframe 4: none\n"));
        run = RunReplay(QStringList{QStringLiteral("--max-per-second"), QStringLiteral("2"), QStringLiteral("--interval-ms"),
                                    QStringLiteral("600")} + frames);
        QCOMPARE(run.Out.count(QStringLiteral("motion")), 3);

        // The same picture through every reader compares equal.
        const QImage picture = SolidFrame(16, 16, 30, 60, 90);
        run = RunReplay({Save(picture, QStringLiteral("p.png")), Save(picture, QStringLiteral("p.bmp")),
                         Save(picture, QStringLiteral("p.ppm")), Save(picture, QStringLiteral("p.jpg")),
                         dir.filePath(QStringLiteral("p.jpg"))});
        QCOMPARE(run.Status, 0);
        QCOMPARE(run.Out.count(QStringLiteral(": none")), 5);
    }

    void refusesBadOptionsAndFiles()
    {
        QFile text(dir.filePath(QStringLiteral("notes.png")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("no picture here") > 0);
        text.close();
        const QList<std::pair<QStringList, QString>> cases = {
            {{QStringLiteral("--step"), QStringLiteral("0"), still}, QStringLiteral("--step")},
            {{QStringLiteral("--grid-size"), QStringLiteral("3"), still}, QStringLiteral("--grid-size")},
            {{QStringLiteral("--sensitivity"), QStringLiteral("10"), still}, QStringLiteral("--sensitivity")},
            {{QStringLiteral("--channels"), QStringLiteral("bx"), still}, QStringLiteral("--channels")},
            {{QStringLiteral("--interval-ms"), QStringLiteral("soon"), still}, QStringLiteral("--interval-ms")},
            {{QStringLiteral("--grid"), QStringLiteral("55 55"), still}, QStringLiteral("--grid")},
            {{QStringLiteral("--frobnicate"), still}, QStringLiteral("frobnicate")},
            {{}, QStringLiteral("no image files")},
            {{still, text.fileName()}, text.fileName()},
            {{dir.filePath(QStringLiteral("missing.png"))}, QStringLiteral("missing.png")},
        };
        for (const auto &[arguments, mention] : cases) {
            const TRun run = RunReplay(arguments);
            QVERIFY2(run.Status == 2, qPrintable(arguments.join(' ')));
            QVERIFY2(run.Err.startsWith(QStringLiteral("ostrivo-motion: ")) && run.Err.contains(mention),
                     qPrintable(run.Err));
        }
    }
};

QTEST_GUILESS_MAIN(TestMotionReplay)
#include "tst_motionreplay.moc"
