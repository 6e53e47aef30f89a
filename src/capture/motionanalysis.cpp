#include "capture/motionanalysis.h"
#include "capture/motiondetector.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

// ---------------------------------------------------------------------------------------------------------
// Row kernels

void MotionRowScalar(const TMotionRowJob &job)
{
    for (int r = 0; r < job.RunCount; ++r) {
        const TMotionRun &run = job.Runs[r];
        const int tb = int(run.Thresholds & 0xFF);
        const int tg = int((run.Thresholds >> 8) & 0xFF);
        const int tr = int((run.Thresholds >> 16) & 0xFF);
        const uint8_t *a = job.Frame + run.Offset;
        const uint8_t *b = job.Base + run.Offset;
        int changed = 0;
        for (int i = 0; i < run.Count; ++i, a += job.Stride, b += job.Stride) {
            // The three compares are ORed, so a pixel counts once whichever channels differ.
            changed += int(std::abs(int(a[0]) - int(b[0])) > tb) | int(std::abs(int(a[1]) - int(b[1])) > tg) |
                       int(std::abs(int(a[2]) - int(b[2])) > tr);
        }
        job.Changed[run.Cell] += changed;
    }
}

// All-ones in each 32-bit lane (pixel) of a and b whose byte differences all stay within their thresholds.
static inline __m128i Unchanged4(const uint8_t *a, const uint8_t *b, __m128i thresholds)
{
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b));
    const __m128i difference = _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
    return _mm_cmpeq_epi32(_mm_subs_epu8(difference, thresholds), _mm_setzero_si128());
}

void MotionRow32Sse2(const TMotionRowJob &job)
{
    for (int r = 0; r < job.RunCount; ++r) {
        const TMotionRun &run = job.Runs[r];
        const uint8_t *a = job.Frame + run.Offset;
        const uint8_t *b = job.Base + run.Offset;
        const __m128i thresholds = _mm_set1_epi32(int(run.Thresholds));
        const int n = run.Count;
        // Lanes count unchanged pixels (each all-ones lane subtracts -1).
        __m128i count0 = _mm_setzero_si128(), count1 = _mm_setzero_si128();
        int i = 0;
        for (; i + 8 <= n; i += 8) {
            count0 = _mm_sub_epi32(count0, Unchanged4(a + 4 * i, b + 4 * i, thresholds));
            count1 = _mm_sub_epi32(count1, Unchanged4(a + 4 * i + 16, b + 4 * i + 16, thresholds));
        }
        for (; i < n; i += 4) {
            const __m128i lanes = _mm_cmplt_epi32(_mm_setr_epi32(0, 1, 2, 3), _mm_set1_epi32(n - i));
            count0 = _mm_sub_epi32(count0, _mm_and_si128(lanes, Unchanged4(a + 4 * i, b + 4 * i, thresholds)));
        }
        __m128i sum = _mm_add_epi32(count0, count1);
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
        job.Changed[run.Cell] += n - _mm_cvtsi128_si32(sum);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Kernel choice

static bool KernelSupported(TMotionKernelChoice choice)
{
    return choice != TMotionKernelChoice::Avx2 || __builtin_cpu_supports("avx2");
}

static TMotionKernelChoice ResolveKernel(TMotionKernelChoice choice)
{
    if (choice == TMotionKernelChoice::Automatic)
        return KernelSupported(TMotionKernelChoice::Avx2) ? TMotionKernelChoice::Avx2 : TMotionKernelChoice::Sse2;
    return choice;
}

static std::atomic<TMotionKernelChoice> ActiveKernel{ResolveKernel(TMotionKernelChoice::Automatic)};

bool SetMotionKernel(TMotionKernelChoice choice)
{
    if (!KernelSupported(choice))
        return false;
    ActiveKernel = ResolveKernel(choice);
    return true;
}

TMotionKernelChoice ActiveMotionKernel() { return ActiveKernel; }

static TMotionRowKernel Row32Kernel()
{
    switch (ActiveKernel.load(std::memory_order_relaxed)) {
    case TMotionKernelChoice::Avx2: return MotionRow32Avx2;
    case TMotionKernelChoice::Scalar: return MotionRowScalar;
    default: return MotionRow32Sse2;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Filters

int MotionPixelBytes(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: return 4;
    case QImage::Format_BGR888: return 3;
    default: return 0;
    }
}

void MotionGrey(const QImage &source, QImage &target)
{
    const bool wide = MotionPixelBytes(source.format()) == 4;
    for (int y = 0; y < source.height(); ++y) {
        const uint8_t *s = source.constScanLine(y);
        uint8_t *t = target.scanLine(y);
        if (wide) {
            // Whole 32-bit pixels (blue in the low byte), which the compiler turns into vector code.
            for (int x = 0; x < source.width(); ++x) {
                uint32_t pixel;
                std::memcpy(&pixel, s + 4 * x, 4);
                const uint32_t grey = ((pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF)) / 3;
                pixel = (pixel & 0xFF000000u) | grey * 0x010101u;
                std::memcpy(t + 4 * x, &pixel, 4);
            }
        } else {
            for (int x = 0; x < source.width(); ++x) {
                const uint8_t grey = uint8_t((unsigned(s[3 * x]) + s[3 * x + 1] + s[3 * x + 2]) / 3);
                t[3 * x] = t[3 * x + 1] = t[3 * x + 2] = grey;
            }
        }
    }
}

void MotionSmooth(const QImage &source, QImage &target)
{
    const int bpp = MotionPixelBytes(source.format());
    const int width = source.width(), height = source.height();
    if (width < 3 || height < 3)
        return;
    // Every byte of an inner pixel, the fourth byte of 32-bit pixels too (it is never compared).
    const int first = bpp, end = (width - 1) * bpp;
    for (int y = 1; y + 1 < height; ++y) {
        const uint8_t *above = source.constScanLine(y - 1);
        const uint8_t *row = source.constScanLine(y);
        const uint8_t *below = source.constScanLine(y + 1);
        uint8_t *t = target.scanLine(y);
        for (int i = first; i < end; ++i) {
            const unsigned sum = unsigned(above[i - bpp]) + above[i] + above[i + bpp] + row[i - bpp] + row[i] +
                                 row[i + bpp] + below[i - bpp] + below[i] + below[i + bpp];
            t[i] = uint8_t(sum / 9);
        }
    }
}

// ---------------------------------------------------------------------------------------------------------
// Detector

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
    const TMotionRowKernel kernel = vector ? Row32Kernel() : MotionRowScalar;

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
