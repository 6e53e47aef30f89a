#include "capture/motiondetector.h"
#include "capture/motionanalysis.h"

#include <QFileInfo>

#include <mutex>

struct TMotionDetector::TState
{
    mutable std::mutex Lock;
    TImplMotionDetector Impl;
    bool Triggered = false;
    bool TriggerInitialised = false;
    bool TriggerNow = false;
    QImage ReferenceSample;   // as given by the caller
    QImage ReferencePrepared; // its copy in the frames' pixel format, filtered like them
    QImage LastFrame;         // the last delivered frame: the comparison base without a reference sample
    // Colour intensities are worked out on request, once per delivered frame.
    quint64 FrameSerial = 0;
    quint64 IntensitySerial = ~quint64(0);

    void DropReference() { ReferencePrepared = QImage(); }
    bool PrepareReference(const QImage &frame);
    const QImage *ComparisonBase(const QImage &frame, QStringList &log);
    void UpdateIntensities()
    {
        if (IntensitySerial != FrameSerial) {
            Impl.ComputeIntensities(LastFrame);
            IntensitySerial = FrameSerial;
        }
    }
};

// Copies the reference sample in the pixel format of `frame`, smoothed and turned grey like the frames.
bool TMotionDetector::TState::PrepareReference(const QImage &frame)
{
    QImage copy = ReferenceSample.convertToFormat(frame.format()).copy();
    if (copy.isNull())
        return false;
    if (Impl.FReduceVideoNoise) {
        QImage smoothed = copy.copy();
        if (smoothed.isNull())
            return false;
        MotionSmooth(copy, smoothed);
        copy = smoothed;
    }
    if (Impl.FGreyScale)
        MotionGrey(copy, copy);
    ReferencePrepared = copy;
    return true;
}

// The base a frame is compared with: the prepared reference sample when one is set, else the last delivered
// frame; null when there is none.
const QImage *TMotionDetector::TState::ComparisonBase(const QImage &frame, QStringList &log)
{
    if (ReferenceSample.isNull())
        return LastFrame.isNull() ? nullptr : &LastFrame;
    // A prepared copy made for frames of another size or pixel format is checked again.
    if (!ReferencePrepared.isNull() &&
        (ReferencePrepared.size() != frame.size() || ReferencePrepared.format() != frame.format()))
        DropReference();
    if (ReferencePrepared.isNull()) {
        if (ReferenceSample.size() != frame.size()) {
            ReferenceSample = QImage();
            log << QStringLiteral("reference sample rejected (does not match the current frame size)");
            return nullptr;
        }
        if (!PrepareReference(frame)) {
            log << QStringLiteral("wrong reference sample rejected");
            return nullptr;
        }
    }
    return &ReferencePrepared;
}

TMotionDetector::TMotionDetector() : d(std::make_unique<TState>()) {}
TMotionDetector::~TMotionDetector() = default;

TMotionResult TMotionDetector::ProcessFrame(const TVideoFrame &frame)
{
    TMotionResult result;
    QStringList log;
    {
        std::lock_guard lock(d->Lock);
        QImage image = frame.Image;
        if (image.isNull() || image.width() <= 0 || image.height() <= 0)
            return result;
        if (MotionPixelBytes(image.format()) == 0)
            image = image.convertToFormat(QImage::Format_RGB32);
        ++d->FrameSerial;
        TImplMotionDetector &impl = d->Impl;
        if (impl.FEnabled) {
            result.SwitchedOn = true;
            const QImage *base = d->ComparisonBase(image, log);
            if (d->Triggered) {
                // A prepared reference copy needs no initialising frame.
                if (base && base == &d->ReferencePrepared)
                    d->TriggerInitialised = true;
                if (!d->TriggerInitialised) {
                    impl.Analyse(image, nullptr, frame.Time, result);
                    d->TriggerInitialised = true;
                } else if (d->TriggerNow) {
                    d->TriggerNow = false;
                    impl.Analyse(image, base, frame.Time, result);
                }
            } else if (!impl.RateLimited(frame.Time)) {
                impl.Analyse(image, base, frame.Time, result);
            }
            if (!impl.PendingLog.isEmpty())
                log.swap(impl.PendingLog);
        }
        d->LastFrame = image;
    }
    for (const QString &line : log)
        if (OnLog)
            OnLog(line);
    return result;
}

void TMotionDetector::PictureRestarted()
{
    std::lock_guard lock(d->Lock);
    d->DropReference();
    d->LastFrame = QImage();
    d->TriggerInitialised = false;
    // Time stamps start again with the new picture: the rate limit must not compare them with the old ones.
    d->Impl.RequestReset();
}

// The statements run with the detector locked.
#define LOCKED(...)                                                                                             \
    std::lock_guard lock(d->Lock);                                                                             \
    __VA_ARGS__

bool TMotionDetector::MotionDetector_Enabled() const { LOCKED(return d->Impl.FEnabled;) }
void TMotionDetector::SetMotionDetector_Enabled(bool value) { LOCKED(d->Impl.SetEnabled(value);) }
QString TMotionDetector::MotionDetector_Grid() const { LOCKED(return d->Impl.FInternalGrid.FGridString;) }
void TMotionDetector::SetMotionDetector_Grid(const QString &value) { LOCKED(d->Impl.FInternalGrid.SetGridText(value);) }
bool TMotionDetector::MotionDetector_GreyScale() const { LOCKED(return d->Impl.FGreyScale;) }
bool TMotionDetector::MotionDetector_ReduceVideoNoise() const { LOCKED(return d->Impl.FReduceVideoNoise;) }

void TMotionDetector::SetMotionDetector_GreyScale(bool value)
{
    LOCKED(if (value != d->Impl.FGreyScale) d->DropReference(); d->Impl.SetGreyScale(value);)
}

void TMotionDetector::SetMotionDetector_ReduceVideoNoise(bool value)
{
    LOCKED(if (value != d->Impl.FReduceVideoNoise) d->DropReference(); d->Impl.SetReduceVideoNoise(value);)
}

bool TMotionDetector::MotionDetector_CompareRed() const { LOCKED(return d->Impl.FCompareRed;) }
void TMotionDetector::SetMotionDetector_CompareRed(bool value) { LOCKED(d->Impl.FCompareRed = value;) }
bool TMotionDetector::MotionDetector_CompareGreen() const { LOCKED(return d->Impl.FCompareGreen;) }
void TMotionDetector::SetMotionDetector_CompareGreen(bool value) { LOCKED(d->Impl.FCompareGreen = value;) }
bool TMotionDetector::MotionDetector_CompareBlue() const { LOCKED(return d->Impl.FCompareBlue;) }
void TMotionDetector::SetMotionDetector_CompareBlue(bool value) { LOCKED(d->Impl.FCompareBlue = value;) }
int TMotionDetector::MotionDetector_ReduceCPULoad() const { LOCKED(return d->Impl.FReduceCPULoad;) }
void TMotionDetector::SetMotionDetector_ReduceCPULoad(int value) { LOCKED(d->Impl.SetReduceCPULoad(value);) }

double TMotionDetector::MotionDetector_MaxDetectionsPerSecond() const
{
    LOCKED(return d->Impl.FMaxDetectionsPerSecond;)
}

void TMotionDetector::SetMotionDetector_MaxDetectionsPerSecond(double value)
{
    LOCKED(d->Impl.SetMaxDetectionsPerSecond(value);)
}

bool TMotionDetector::MotionDetector_Triggered() const { LOCKED(return d->Triggered;) }
void TMotionDetector::SetMotionDetector_Triggered(bool value) { LOCKED(d->Triggered = value; d->Impl.RequestReset();) }
double TMotionDetector::MotionDetector_GlobalMotionRatio() const { LOCKED(return d->Impl.FInternalGrid.FMotionRatio;) }
int TMotionDetector::MotionDetector_GridXCount() const { LOCKED(return d->Impl.FInternalGrid.FGridXSize;) }
int TMotionDetector::MotionDetector_GridYCount() const { LOCKED(return d->Impl.FInternalGrid.FGridYSize;) }
bool TMotionDetector::MotionDetector_IsGridValid() const { LOCKED(return d->Impl.FInternalGrid.FIsGridValid;) }

void TMotionDetector::MotionDetector_ResetGlobalSensitivity(int value)
{
    LOCKED(d->Impl.FInternalGrid.ResetGlobalSensitivity(value);)
}

void TMotionDetector::MotionDetector_GloballyIncOrDecSensitivity(int value)
{
    LOCKED(d->Impl.FInternalGrid.GloballyIncOrDecSensitivity(value);)
}

bool TMotionDetector::MotionDetector_SetCellSensitivity(int x, int y, int value)
{
    LOCKED(return d->Impl.FInternalGrid.SetCellLevel(x, y, value);)
}

bool TMotionDetector::MotionDetector_GetCellSensitivity(int x, int y, int &value) const
{
    LOCKED(return d->Impl.FInternalGrid.GetCellLevel(x, y, value);)
}

void TMotionDetector::MotionDetector_SetGridSize(int x, int y, bool deferRequest)
{
    QStringList log;
    {
        std::lock_guard lock(d->Lock);
        d->Impl.SetGridSize(x, y, deferRequest);
        d->IntensitySerial = ~quint64(0);
        log.swap(d->Impl.PendingLog);
    }
    for (const QString &line : log)
        if (OnLog)
            OnLog(line);
}

double TMotionDetector::MotionDetector_CellMotionRatio(int x, int y) const
{
    LOCKED(return d->Impl.FInternalGrid.CellMotionRatio(x, y);)
}

bool TMotionDetector::MotionDetector_GetCellLocation(int x, int y, int &xLocation, int &yLocation) const
{
    LOCKED(return d->Impl.FInternalGrid.GetCellLocation(x, y, xLocation, yLocation);)
}

bool TMotionDetector::MotionDetector_GetCellSize(int &xSize, int &ySize) const
{
    LOCKED(return d->Impl.FInternalGrid.GetCellSize(xSize, ySize);)
}

int TMotionDetector::MotionDetector_CellColorIntensity(int rgbSelector, int x, int y) const
{
    LOCKED(d->UpdateIntensities(); return d->Impl.FInternalGrid.CellColorIntensity(rgbSelector, x, y);)
}

int TMotionDetector::MotionDetector_GlobalColorIntensity(int rgbSelector) const
{
    LOCKED(d->UpdateIntensities(); return d->Impl.FInternalGrid.GlobalColorIntensity(rgbSelector);)
}

QString TMotionDetector::MotionDetector_Get2DTextGrid() const { LOCKED(return d->Impl.FInternalGrid.Get2DTextGrid();) }
QString TMotionDetector::MotionDetector_Get2DTextMotion() const { LOCKED(return d->Impl.FInternalGrid.Get2DTextMotion();) }
void TMotionDetector::MotionDetector_Reset() { LOCKED(d->Impl.RequestReset();) }
void TMotionDetector::MotionDetector_TriggerNow() { LOCKED(if (d->Triggered) d->TriggerNow = true;) }

bool TMotionDetector::MotionDetector_UseThisReferenceSample(const QImage &bitmap, const QString &bmpFile,
                                                          const QString &jpegFile)
{
    QImage sample = bitmap;
    const QString file = !sample.isNull()                                   ? QString()
                         : !bmpFile.isEmpty() && QFileInfo(bmpFile).isFile()   ? bmpFile
                         : !jpegFile.isEmpty() && QFileInfo(jpegFile).isFile() ? jpegFile
                                                                               : QString();
    if (!file.isEmpty() && !sample.load(file))
        return false;
    std::lock_guard lock(d->Lock);
    d->ReferenceSample = sample;
    d->DropReference(); // a new sample replaces the prepared copy of the old one at the next frame
    return true;
}

bool TMotionDetector::CellCounts(int x, int y, int &changed, int &compared) const
{
    std::lock_guard lock(d->Lock);
    const TMotionGrid &grid = d->Impl.FInternalGrid;
    if (!grid.Contains(x, y))
        return false;
    changed = grid.Cell(x, y).Fci_MotionPixelDetected;
    compared = grid.Cell(x, y).Fci_TotalMotionPixels;
    return true;
}
