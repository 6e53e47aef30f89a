#include "capture/motionanalysis.h"
#include "capture/motiondetector.h"

#include <algorithm>
#include <cstring>
#include <limits>

TImplMotionDetector::TImplMotionDetector() = default;

void TImplMotionDetector::SetEnabled(bool value)
{
    if (value != FEnabled) {
        FEnabled = value;
        RequestReset();
    }
}

void TImplMotionDetector::SetGreyScale(bool value)
{
    if (value != FGreyScale) {
        FGreyScale = value;
        RequestReset();
    }
}

void TImplMotionDetector::SetReduceVideoNoise(bool value)
{
    if (value != FReduceVideoNoise) {
        FReduceVideoNoise = value;
        RequestReset();
    }
}

void TImplMotionDetector::SetReduceCPULoad(int value)
{
    if (value >= 1 && value != FReduceCPULoad) {
        FReduceCPULoad = value;
        RequestReset();
    }
}

void TImplMotionDetector::SetMaxDetectionsPerSecond(double value)
{
    if (!(value >= 0)) // negative (and not-a-number) values are ignored
        return;
    FMaxDetectionsPerSecond = value;
    if (value == 0) {
        FMaxFrameTimeInterval100ns = 0;
        return;
    }
    const double interval = 10000000.0 / value;
    FMaxFrameTimeInterval100ns = interval >= 9.0e18 ? std::numeric_limits<int64_t>::max() : RoundHalfUp(interval);
}

void TImplMotionDetector::SetGridSize(int x, int y, bool defer)
{
    if (defer) {
        FGridSizeRequest = QPoint(x, y);
        FGridSizeRequested = true;
    } else {
        ApplyGridSize(x, y);
    }
}

void TImplMotionDetector::ApplyGridSize(int x, int y)
{
    if (x == FMotionDetectorXGridCount && y == FMotionDetectorYGridCount)
        return;
    FMotionDetectorXGridCount = x;
    FMotionDetectorYGridCount = y;
    FInternalGrid.Redimension(x, y, FCurrentLevel);
    RequestReset();
    if (int64_t(x) * y > 500000)
        PendingLog << QStringLiteral("excessive grid size");
}

bool TImplMotionDetector::RateLimited(int64_t time) const
{
    // A time stamp before the last analysed one (a clock or source that started again) is not held back:
    // otherwise analysis would stall until the new times caught up with the old ones.
    return FMaxFrameTimeInterval100ns > 0 && FLatestFrameTime != -1 && !FReset && time >= FLatestFrameTime &&
           time - FLatestFrameTime < FMaxFrameTimeInterval100ns;
}

void TImplMotionDetector::Prepare(const QImage &frame, QImage &target) const
{
    if (FReduceVideoNoise) {
        MotionSmooth(frame, target);
        if (FGreyScale)
            MotionGrey(target, target);
    } else if (FGreyScale) {
        MotionGrey(frame, target);
    }
}

bool TImplMotionDetector::ResetFor(const QImage &frame)
{
    FLatestFrameTime = -1;
    FReset = false;
    FModifiedOldBitmap = QImage();
    FModifiedNewBitmap = QImage();
    FModifiedBitmapNeeded = FGreyScale || FReduceVideoNoise;
    if (FModifiedBitmapNeeded) {
        FModifiedOldBitmap = frame.copy();
        FModifiedNewBitmap = frame.copy();
        if (FModifiedOldBitmap.isNull() || FModifiedNewBitmap.isNull()) {
            FModifiedOldBitmap = QImage();
            FModifiedNewBitmap = QImage();
            FReset = true; // try again with the next frame rather than compare without buffers
            return false;
        }
        // The first analysed frame is compared with this one prepared the same way; the borders of both
        // buffers keep this frame's pixels from now on.
        Prepare(frame, FModifiedOldBitmap);
    }
    FReduceCPULoadValue = FReduceCPULoad;
    FInternalGrid.ComputeSteps(frame.width(), frame.height());
    FScanWidth = frame.width();
    FScanHeight = frame.height();
    FScanPixelBytes = MotionPixelBytes(frame.format());
    BuildRuns(frame.width());
    return true;
}

void TImplMotionDetector::BuildRuns(int width)
{
    const int columns = FInternalGrid.FGridXSize;
    const int step = FReduceCPULoadValue;
    const int samples = width >= 2 ? (width - 2) / step + 1 : 0; // x = 0, step, ... while x < width - 1
    FRunFirst.assign(columns, 0);
    FRunCount.assign(columns, 0);
    int next = 0;
    for (int c = 0; c < columns; ++c) {
        FRunFirst[c] = next;
        if (next >= samples)
            continue;
        // A cell keeps its samples up to and including the first one beyond its end boundary.
        int last = samples - 1;
        if (c < columns - 1)
            last = std::min(std::max(next, FInternalGrid.FxtStep[c] / step + 1), samples - 1);
        FRunCount[c] = last - next + 1;
        next = last + 1;
    }
    FRuns.clear();
    FRuns.reserve(columns);
    FBandChanged.assign(columns, 0);
}

void TImplMotionDetector::Scan(const QImage &frame, const QImage &base)
{
    TMotionGrid &grid = FInternalGrid;
    const int step = FReduceCPULoadValue;
    const int bpp = FScanPixelBytes;
    // The vector kernels may read a few pixels past the last sample of a row: that lies in the next row.
    const bool vector = bpp == 4 && step == 1 && FScanWidth >= MotionKernelOverreadPixels + 1;
    const TMotionRowKernel kernel = vector ? MotionRow32Kernel() : MotionRowScalar;

    // Threshold bytes of a cell: its threshold for each compared byte, 255 (never exceeded) for the others.
    // Greyscale frames hold the grey value in the blue byte, which alone is compared.
    const bool compareBlue = FGreyScale || FCompareBlue;
    const bool compareGreen = !FGreyScale && FCompareGreen;
    const bool compareRed = !FGreyScale && FCompareRed;
    auto thresholds = [&](uint32_t t) {
        return (compareBlue ? t : 0xFFu) | (compareGreen ? t : 0xFFu) << 8 | (compareRed ? t : 0xFFu) << 16 |
               0xFFu << 24;
    };

    int band = 0, bandRows = 0;
    auto startBand = [&]() {
        FRuns.clear();
        for (int c = 0; c < grid.FGridXSize; ++c) {
            const TMotionCellInfo &cell = grid.Cell(c, band);
            if (cell.Fci_Grid_0_9 > 0 && FRunCount[c] > 0)
                FRuns.push_back({FRunFirst[c] * step * bpp, FRunCount[c], thresholds(uint32_t(cell.Fci_Sensitivity_0_256)), c});
        }
        bandRows = 0;
    };
    auto finishBand = [&]() {
        for (const TMotionRun &run : FRuns) {
            TMotionCellInfo &cell = grid.Cell(run.Cell, band);
            cell.Fci_MotionPixelDetected += FBandChanged[run.Cell];
            cell.Fci_TotalMotionPixels += run.Count * bandRows;
            FBandChanged[run.Cell] = 0;
        }
    };

    TMotionRowJob job{nullptr, nullptr, nullptr, 0, step * bpp, FBandChanged.data()};
    startBand();
    for (int y = 0; y < FScanHeight - 1; y += step) {
        if (band < grid.FGridYBound && y > grid.FytStep[band]) {
            finishBand();
            ++band;
            startBand();
        }
        ++bandRows;
        if (FRuns.empty())
            continue;
        job.Frame = frame.constScanLine(y);
        job.Base = base.constScanLine(y);
        job.Runs = FRuns.data();
        job.RunCount = int(FRuns.size());
        kernel(job);
    }
    finishBand();
}

void TImplMotionDetector::Analyse(const QImage &frame, const QImage *base, int64_t time, TMotionResult &result)
{
    if (FGridSizeRequested) {
        FGridSizeRequested = false;
        ApplyGridSize(FGridSizeRequest.x(), FGridSizeRequest.y());
    }
    if (!FEnabled)
        return;
    const int bpp = MotionPixelBytes(frame.format());
    if (FReset || !base || base->size() != frame.size() || MotionPixelBytes(base->format()) != bpp) {
        ResetFor(frame);
        return;
    }
    const QImage *current = &frame;
    if (FModifiedBitmapNeeded) {
        Prepare(frame, FModifiedNewBitmap);
        current = &FModifiedNewBitmap;
        base = &FModifiedOldBitmap;
    }
    FLatestFrameTime = time;
    FInternalGrid.ClearCounters();
    Scan(*current, *base);
    result.Analysed = true;
    result.Motion = FInternalGrid.Conclude();
    result.GlobalMotionRatio = FInternalGrid.FMotionRatio;
    result.MaxMotionCellX = FInternalGrid.FMaxMotionCellX;
    result.MaxMotionCellY = FInternalGrid.FMaxMotionCellY;
    if (FModifiedBitmapNeeded)
        std::swap(FModifiedOldBitmap, FModifiedNewBitmap);
}

void TImplMotionDetector::ComputeIntensities(const QImage &frame)
{
    TMotionGrid &grid = FInternalGrid;
    const int bpp = MotionPixelBytes(frame.format());
    const bool layout = grid.FStepsFound && frame.width() == FScanWidth && frame.height() == FScanHeight &&
                        bpp == FScanPixelBytes && int(FRunFirst.size()) == grid.FGridXSize;
    for (TMotionCellInfo &cell : grid.FMotionCellInfo)
        cell.Fci_RIntensity = cell.Fci_GIntensity = cell.Fci_BIntensity = 0;
    if (!layout)
        return;
    const int step = FReduceCPULoadValue;
    std::vector<int64_t> sums(size_t(grid.FMotionCellInfo.size()) * 4, 0); // blue, green, red, samples
    int band = 0;
    for (int y = 0; y < FScanHeight - 1; y += step) {
        if (band < grid.FGridYBound && y > grid.FytStep[band])
            ++band;
        const uint8_t *row = frame.constScanLine(y);
        for (int c = 0; c < grid.FGridXSize; ++c) {
            int64_t *sum = &sums[(size_t(band) * grid.FGridXSize + c) * 4];
            const uint8_t *p = row + size_t(FRunFirst[c]) * step * bpp;
            for (int i = 0; i < FRunCount[c]; ++i, p += step * bpp) {
                sum[0] += p[0];
                sum[1] += p[1];
                sum[2] += p[2];
            }
            sum[3] += FRunCount[c];
        }
    }
    for (size_t i = 0; i < grid.FMotionCellInfo.size(); ++i) {
        const int64_t *sum = &sums[i * 4];
        if (sum[3] == 0)
            continue;
        TMotionCellInfo &cell = grid.FMotionCellInfo[i];
        cell.Fci_BIntensity = double(sum[0]) / double(sum[3]);
        cell.Fci_GIntensity = double(sum[1]) / double(sum[3]);
        cell.Fci_RIntensity = double(sum[2]) / double(sum[3]);
    }
}
