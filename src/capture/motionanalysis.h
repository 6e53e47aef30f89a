#pragma once
// The motion detector's options, work buffers and per-frame analysis.
//
// Frames are 32-bit (QImage::Format_RGB32 and the two ARGB32 formats: bytes blue, green, red, fourth) or
// 24-bit (QImage::Format_BGR888: blue, green, red) pictures. A frame and its base must have the same size
// and pixel size; anything else re-initialises the comparison.
//
// Not thread-safe by itself: TMotionDetector serialises every call. Work buffers and cell runs are
// allocated only at a reset, so analysing frames of an unchanged size allocates nothing.
#include "capture/motiongrid.h"
#include "capture/motionkernel.h"

#include <QImage>
#include <QPoint>
#include <QStringList>

#include <vector>

struct TMotionResult;

// Which row kernel the scan uses for 32-bit frames sampled at every pixel.
enum class TMotionKernelChoice { Automatic, Scalar, Sse2, Avx2 };
// For tests and measurements: forces a kernel; false (and no change) when this processor lacks it.
bool SetMotionKernel(TMotionKernelChoice choice);
TMotionKernelChoice ActiveMotionKernel();

// Bytes per pixel the analysis works on directly (3 or 4), 0 for other formats.
int MotionPixelBytes(QImage::Format format);

// Image filters of the analysis, writing `target` (same size and pixel size as `source`, may be the same
// picture for Grey): Grey sets blue, green and red to their mean rounded down; Smooth sets every pixel off
// the one-pixel border to the 3 x 3 mean of `source` rounded down, per byte, and leaves the border alone.
void MotionGrey(const QImage &source, QImage &target);
void MotionSmooth(const QImage &source, QImage &target);

class TImplMotionDetector
{
public:
    TImplMotionDetector();

    // Options (defaults as set at creation). Change them through the setters: they request resets.
    bool FEnabled = false;
    int FMotionDetectorXGridCount = 10; // the last grid size pair applied, as given
    int FMotionDetectorYGridCount = 10;
    int FCurrentLevel = 5;
    bool FCompareBlue = true;
    bool FCompareGreen = true;
    bool FCompareRed = true;
    bool FGreyScale = false;
    bool FReduceVideoNoise = false;
    bool FModifiedBitmapNeeded = false;
    QImage FModifiedOldBitmap; // previous analysed frame, prepared
    QImage FModifiedNewBitmap; // current frame, prepared
    int FReduceCPULoad = 1;
    int FReduceCPULoadValue = 1;
    double FMaxDetectionsPerSecond = 0;
    int64_t FMaxFrameTimeInterval100ns = 0;
    int64_t FLatestFrameTime = -1;
    bool FReset = true;
    QPoint FGridSizeRequest;
    bool FGridSizeRequested = false;
    TMotionGrid FInternalGrid;

    // Log notifications noticed since the owner last took them.
    QStringList PendingLog;

    void SetEnabled(bool value);
    void SetGreyScale(bool value);
    void SetReduceVideoNoise(bool value);
    void SetReduceCPULoad(int value);
    void SetMaxDetectionsPerSecond(double value);
    void RequestReset() { FReset = true; }
    // Re-dimensions the grid now, or (defer) at the start of the next analysis.
    void SetGridSize(int x, int y, bool defer);

    // True when a frame taken at `time` comes too soon after the last analysed one.
    bool RateLimited(int64_t time) const;

    // Analyses `frame` against `base` (null: no base, which re-initialises). Fills result.Analysed, Motion,
    // GlobalMotionRatio and the most active cell.
    void Analyse(const QImage &frame, const QImage *base, int64_t time, TMotionResult &result);

    // Fills the cells' colour intensities with the channel means of `frame`'s sampled pixels (zero when the
    // boundaries in force are not for this frame's size).
    void ComputeIntensities(const QImage &frame);

private:
    void ApplyGridSize(int x, int y);
    bool ResetFor(const QImage &frame);
    void Prepare(const QImage &frame, QImage &target) const;
    void BuildRuns(int width);
    void Scan(const QImage &frame, const QImage &base);

    // Layout of one sampled row, fixed at a reset: first sample and sample count of each column cell.
    std::vector<int32_t> FRunFirst;
    std::vector<int32_t> FRunCount;
    int FScanWidth = 0;
    int FScanHeight = 0;
    int FScanPixelBytes = 0;
    // Per-frame work space, sized at a reset.
    std::vector<TMotionRun> FRuns;
    std::vector<int32_t> FBandChanged;
};
