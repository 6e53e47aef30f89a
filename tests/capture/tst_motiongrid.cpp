// The detector's grid: levels, thresholds, grid text, re-dimensioning, boundaries and read-outs.
#include "capture/motionanalysis.h"
#include "capture/motiondetector.h"
#include "capture/motiongrid.h"
#include "motionframes.h"

#include <QtTest>

class TestMotionGrid : public QObject
{
    Q_OBJECT
private slots:
    void levelsGiveTheThresholdTable()
    {
        const int expected[10] = {256, 228, 200, 172, 144, 116, 88, 60, 32, 4};
        TMotionGrid grid;
        for (int level = 0; level <= 9; ++level) {
            QVERIFY(grid.SetCellLevel(3, 4, level));
            QCOMPARE(grid.Cell(3, 4).Fci_Sensitivity_0_256, expected[level]);
        }
        QVERIFY(!grid.SetCellLevel(3, 4, 10));
        QVERIFY(!grid.SetCellLevel(3, 4, -1));
        QVERIFY(!grid.SetCellLevel(10, 0, 5));
        QVERIFY(!grid.SetCellLevel(0, -1, 5));
        int level = -1;
        QVERIFY(grid.GetCellLevel(3, 4, level));
        QCOMPARE(level, 9);
        QVERIFY(!grid.GetCellLevel(0, 10, level));
    }

    void defaultGridTextAndRebuildAfterCellChange()
    {
        TMotionDetector detector;
        const QString row = QStringLiteral("5555555555");
        QCOMPARE(detector.MotionDetector_Grid(), QStringList(10, row).join(QLatin1Char(' ')));
        QCOMPARE(detector.MotionDetector_GridXCount(), 10);
        QCOMPARE(detector.MotionDetector_GridYCount(), 10);
        QVERIFY(detector.MotionDetector_IsGridValid());

        QVERIFY(detector.MotionDetector_SetCellSensitivity(9, 1, 0));
        QVERIFY(detector.MotionDetector_Grid().startsWith(QStringLiteral("5555555555 5555555550 5555")));
        QVERIFY(!detector.MotionDetector_SetCellSensitivity(10, 1, 3));
        int value = -1;
        QVERIFY(detector.MotionDetector_GetCellSensitivity(9, 1, value));
        QCOMPARE(value, 0);
    }

    void gridTextAcceptanceAndRefusal()
    {
        TMotionGrid grid;
        grid.Redimension(5, 2, 3);
        const QString accepted = QStringLiteral("12345 67890");
        QVERIFY(grid.SetGridText(accepted));
        QCOMPARE(grid.FGridString, accepted);
        QCOMPARE(grid.Cell(0, 0).Fci_Grid_0_9, 1);
        QCOMPARE(grid.Cell(4, 0).Fci_Grid_0_9, 5);
        QCOMPARE(grid.Cell(0, 1).Fci_Grid_0_9, 6);
        QCOMPARE(grid.Cell(4, 1).Fci_Grid_0_9, 0);
        QCOMPARE(grid.Cell(4, 1).Fci_Sensitivity_0_256, 256);

        // Refused texts leave the levels and the text alone and only clear the valid flag.
        const QStringList refused = {QStringLiteral("55555  55555"), QStringLiteral("55555 5555x"),
                                     QStringLiteral("55555 5555"), QStringLiteral(" 55555 55555"),
                                     QStringLiteral("5555555555 "), QString()};
        for (const QString &text : refused) {
            QVERIFY2(!grid.SetGridText(text), qPrintable(text));
            QVERIFY(!grid.FIsGridValid);
            QCOMPARE(grid.FGridString, accepted);
            QCOMPARE(grid.Cell(1, 0).Fci_Grid_0_9, 2);
        }

        // A tail after the grid is ignored; the grid text is the grid's own part.
        QVERIFY(grid.SetGridText(QStringLiteral("55555 55555 and more")));
        QVERIFY(grid.FIsGridValid);
        QCOMPARE(grid.FGridString, QStringLiteral("55555 55555"));
        QCOMPARE(grid.Cell(4, 1).Fci_Grid_0_9, 5);
    }

    void sensitivityOperations()
    {
        TMotionGrid grid;
        grid.Redimension(5, 1, 5);
        QVERIFY(grid.SetGridText(QStringLiteral("90172")));
        grid.GloballyIncOrDecSensitivity(+1);
        QCOMPARE(grid.FGridString, QStringLiteral("90283")); // 9 and 0 stay
        QVERIFY(grid.SetGridText(QStringLiteral("90172")));
        grid.GloballyIncOrDecSensitivity(-1);
        QCOMPARE(grid.FGridString, QStringLiteral("80161")); // 1 and 0 stay
        QVERIFY(grid.SetGridText(QStringLiteral("90172")));
        grid.GloballyIncOrDecSensitivity(+5);
        QCOMPARE(grid.FGridString, QStringLiteral("90697")); // 7 + 5 is limited to 9
        QCOMPARE(grid.Cell(3, 0).Fci_Sensitivity_0_256, 4);

        // Above 9 nothing happens; a negative value changes no cell but rebuilds the text.
        QVERIFY(!grid.SetGridText(QStringLiteral("bad")));
        grid.ResetGlobalSensitivity(10);
        QVERIFY(!grid.FIsGridValid);
        grid.ResetGlobalSensitivity(-1);
        QVERIFY(grid.FIsGridValid);
        QCOMPARE(grid.FGridString, QStringLiteral("90697"));
        grid.ResetGlobalSensitivity(0);
        QCOMPARE(grid.FGridString, QStringLiteral("00000"));
    }

    void gridSizeRules()
    {
        TMotionDetector detector;
        QStringList log;
        // The handler calls back into the detector: notifications come after its lock is released.
        detector.OnLog = [&](const QString &line) { log << line + QString::number(detector.MotionDetector_GridXCount()); };
        QVERIFY(detector.MotionDetector_SetCellSensitivity(0, 0, 7));

        detector.MotionDetector_SetGridSize(0, 2000);
        QCOMPARE(detector.MotionDetector_GridXCount(), 1);
        QCOMPARE(detector.MotionDetector_GridYCount(), 1);
        QCOMPARE(detector.MotionDetector_Grid(), QStringLiteral("5")); // re-dimensioned cells take level 5

        detector.MotionDetector_SetGridSize(800, 700);
        QCOMPARE(detector.MotionDetector_GridXCount(), 800);
        QCOMPARE(log, QStringList{QStringLiteral("excessive grid size800")});
        QCOMPARE(detector.MotionDetector_Grid().size(), 700 * 801 - 1);

        // Out-of-range pairs count as given for the warning; the grid becomes 1 x 1.
        detector.MotionDetector_SetGridSize(2000, 2000);
        QCOMPARE(detector.MotionDetector_GridXCount(), 1);
        QCOMPARE(log.size(), 2);

        // The same pair again does nothing, not even a reset.
        detector.SetMotionDetector_Enabled(true);
        Feed(detector, SolidFrame(8, 8, 0, 0, 0));
        detector.MotionDetector_SetGridSize(2000, 2000);
        QVERIFY(Feed(detector, SolidFrame(8, 8, 0, 0, 0)).Analysed);

        // A deferred request waits for the next analysis, which it turns into a reset.
        detector.MotionDetector_SetGridSize(3, 2, true);
        QCOMPARE(detector.MotionDetector_GridXCount(), 1);
        QVERIFY(!Feed(detector, SolidFrame(8, 8, 0, 0, 0)).Analysed);
        QCOMPARE(detector.MotionDetector_GridXCount(), 3);
        QCOMPARE(detector.MotionDetector_Grid(), QStringLiteral("555 555"));
        QVERIFY(Feed(detector, SolidFrame(8, 8, 0, 0, 0)).Analysed);
    }

    void cellBoundaries()
    {
        TMotionGrid grid;
        int xs = 0, ys = 0, xl = 0, yl = 0;
        QVERIFY(!grid.GetCellSize(xs, ys));
        QVERIFY(!grid.GetCellLocation(0, 0, xl, yl));

        grid.ComputeSteps(640, 480);
        QVERIFY(grid.GetCellSize(xs, ys));
        QCOMPARE(QPoint(xs, ys), QPoint(64, 48));
        QCOMPARE(grid.FxtStep, (std::vector<int32_t>{64, 128, 192, 256, 320, 384, 448, 512, 576, 640}));
        QCOMPARE(grid.FytStep.back(), 480);
        QVERIFY(grid.GetCellLocation(9, 9, xl, yl));
        QCOMPARE(QPoint(xl, yl), QPoint(576, 432));
        QVERIFY(!grid.GetCellLocation(10, 0, xl, yl));

        grid.Redimension(8, 1, 5);
        QVERIFY(!grid.FStepsFound);
        grid.ComputeSteps(100, 7); // 12.5 rounds up to 13
        QCOMPARE(grid.FxtCount, 13);
        QCOMPARE(grid.FxtStep, (std::vector<int32_t>{13, 26, 39, 52, 65, 78, 91, 100}));
        QVERIFY(grid.GetCellLocation(7, 0, xl, yl));
        QCOMPARE(xl, 87);
        grid.ComputeSteps(0, 7);
        QCOMPARE(grid.FxtCount, 13); // nothing computed for an empty frame
    }

    void ratiosAndTextViews()
    {
        TMotionGrid grid;
        grid.Redimension(3, 2, 5);
        grid.SetCellLevel(1, 0, 0);
        auto counts = [&](int x, int y, int changed, int compared) {
            grid.Cell(x, y).Fci_MotionPixelDetected = changed;
            grid.Cell(x, y).Fci_TotalMotionPixels = compared;
        };
        counts(0, 0, 1, 3);
        counts(2, 0, 2, 3);
        counts(0, 1, 0, 3);
        counts(1, 1, 2, 2);
        counts(2, 1, 2, 40);
        QCOMPARE(grid.CellMotionRatio(0, 0), 0.3333);
        QCOMPARE(grid.CellMotionRatio(2, 0), 0.6667);
        QCOMPARE(grid.CellMotionRatio(1, 0), 0.0);
        QCOMPARE(grid.CellMotionRatio(3, 0), -1.0);
        QCOMPARE(grid.Get2DTextGrid(), QStringLiteral("5 . 5\r\n5 5 5\r\n"));
        QCOMPARE(grid.Get2DTextMotion(), QStringLiteral("3 . 7 \r\n. 9 1 \r\n"));

        // Global ratio over all cells; the most active cell is the first of the largest in scan order.
        QVERIFY(grid.Conclude());
        QCOMPARE(grid.FMotionRatio, 7.0 / 51.0);
        QCOMPARE(QPoint(grid.FMaxMotionCellX, grid.FMaxMotionCellY), QPoint(2, 0));
        grid.ClearCounters();
        QVERIFY(!grid.Conclude());
        QCOMPARE(grid.FMotionRatio, 0.0);
    }

    void colourIntensitiesOfTheLatestFrame()
    {
        TMotionDetector detector;
        QCOMPARE(detector.MotionDetector_CellColorIntensity(0, 0, 0), 0);
        detector.SetMotionDetector_Enabled(true);
        detector.MotionDetector_SetGridSize(2, 1);
        QImage frame = SolidFrame(8, 4, 10, 20, 30);
        for (int y = 0; y < 4; ++y) // right cell (x 5..6 sampled) is brighter
            for (int x = 5; x < 8; ++x)
                SetBgr(frame, x, y, 11, 21, 32);
        Feed(detector, frame);
        QCOMPARE(detector.MotionDetector_CellColorIntensity(0, 0, 0), 30);
        QCOMPARE(detector.MotionDetector_CellColorIntensity(1, 0, 0), 20);
        QCOMPARE(detector.MotionDetector_CellColorIntensity(2, 0, 0), 10);
        QCOMPARE(detector.MotionDetector_CellColorIntensity(3, 0, 0), 0);
        QCOMPARE(detector.MotionDetector_CellColorIntensity(0, 2, 0), -1);
        // The left cell samples x = 0..5 (x = 5 is taken before the move), the right one only x = 6.
        QCOMPARE(detector.MotionDetector_CellColorIntensity(0, 1, 0), 32);
        QCOMPARE(detector.MotionDetector_GlobalColorIntensity(0), 31);
        QCOMPARE(detector.MotionDetector_GlobalColorIntensity(7), 0);
    }

    void rateLimitInterval()
    {
        TImplMotionDetector impl;
        impl.SetMaxDetectionsPerSecond(2);
        QCOMPARE(impl.FMaxFrameTimeInterval100ns, int64_t(5000000));
        impl.SetMaxDetectionsPerSecond(6); // 1666666.67 rounds up
        QCOMPARE(impl.FMaxFrameTimeInterval100ns, int64_t(1666667));
        impl.SetMaxDetectionsPerSecond(3);
        QCOMPARE(impl.FMaxFrameTimeInterval100ns, int64_t(3333333));
        impl.SetMaxDetectionsPerSecond(-1);
        QCOMPARE(impl.FMaxDetectionsPerSecond, 3.0);
        impl.SetMaxDetectionsPerSecond(0);
        QCOMPARE(impl.FMaxFrameTimeInterval100ns, int64_t(0));
    }
};

QTEST_GUILESS_MAIN(TestMotionGrid)
#include "tst_motiongrid.moc"
