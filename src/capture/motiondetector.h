#pragma once
// The capture component's motion detector as the component sees it: every MotionDetector_* property and
// operation of the component forwards to the method of the same name here, and the component's capture
// thread hands each delivered frame to ProcessFrame. The grid and the per-frame analysis live in
// TMotionGrid / TImplMotionDetector (motiongrid.h, motionanalysis.h); this class adds what the component
// holds beside them: the last delivered frame, the reference sample, triggered mode and the rate limit.
//
// Threads: properties and operations are called on the UI thread, ProcessFrame on the capture thread.
// One mutex serialises them: ProcessFrame holds it for the whole analysis of a frame, so an operation on the
// UI thread waits at most for one analysis (well under a millisecond for a 720p frame with the default
// options). Work buffers are only ever created, filled and swapped by ProcessFrame; option setters merely
// request a reset that the next frame carries out. A grid re-dimensioning therefore never runs during a
// scan, whether applied at once or deferred (deferRequest) to the start of the next analysis. Log
// notifications are raised after the mutex is released, so an OnLog handler may call back in.
#include "capture/frame.h"

#include <QString>

#include <functional>
#include <memory>

struct TMotionResult
{
    bool SwitchedOn = false; // the frame went through the switched-on detector: raise one of the two events
    bool Analysed = false;   // compared with a base (neither skipped nor re-initialising the comparison)
    bool Motion = false;     // analysed and showed motion
    double GlobalMotionRatio = 0;
    int MaxMotionCellX = 0;
    int MaxMotionCellY = 0;
};

class TMotionDetector
{
public:
    TMotionDetector();
    ~TMotionDetector();
    TMotionDetector(const TMotionDetector &) = delete;
    TMotionDetector &operator=(const TMotionDetector &) = delete;

    // Log notifications of the detector ("excessive grid size", ...); called on the thread that noticed.
    std::function<void(const QString &)> OnLog;

    // Capture thread: runs one delivered frame through the detector (a no-op returning no motion while
    // switched off) and keeps it as the last delivered frame. The detector shares the frame's image until
    // the next frame arrives, so decode each picture into a fresh QImage rather than into the last one
    // (which would copy it). Frames in formats other than RGB32/ARGB32 and BGR888 are converted first.
    TMotionResult ProcessFrame(const TVideoFrame &frame);
    // The picture was stopped or (re)started: the next frame has no base, the prepared reference copy is
    // dropped, triggered mode re-initialises.
    void PictureRestarted();

    bool MotionDetector_Enabled() const;
    void SetMotionDetector_Enabled(bool value);
    QString MotionDetector_Grid() const;
    void SetMotionDetector_Grid(const QString &value);
    bool MotionDetector_GreyScale() const;
    void SetMotionDetector_GreyScale(bool value);
    bool MotionDetector_ReduceVideoNoise() const;
    void SetMotionDetector_ReduceVideoNoise(bool value);
    bool MotionDetector_CompareRed() const;
    void SetMotionDetector_CompareRed(bool value);
    bool MotionDetector_CompareGreen() const;
    void SetMotionDetector_CompareGreen(bool value);
    bool MotionDetector_CompareBlue() const;
    void SetMotionDetector_CompareBlue(bool value);
    int MotionDetector_ReduceCPULoad() const;
    void SetMotionDetector_ReduceCPULoad(int value);
    double MotionDetector_MaxDetectionsPerSecond() const;
    void SetMotionDetector_MaxDetectionsPerSecond(double value);
    bool MotionDetector_Triggered() const;
    void SetMotionDetector_Triggered(bool value);
    double MotionDetector_GlobalMotionRatio() const;
    int MotionDetector_GridXCount() const;
    int MotionDetector_GridYCount() const;
    bool MotionDetector_IsGridValid() const;

    void MotionDetector_ResetGlobalSensitivity(int value);
    void MotionDetector_GloballyIncOrDecSensitivity(int value);
    bool MotionDetector_SetCellSensitivity(int x, int y, int value);
    bool MotionDetector_GetCellSensitivity(int x, int y, int &value) const;
    // deferRequest: called while the component delivers a frame's events (the request waits for the next
    // analysis); otherwise applied at once.
    void MotionDetector_SetGridSize(int x, int y, bool deferRequest = false);
    double MotionDetector_CellMotionRatio(int x, int y) const;
    bool MotionDetector_GetCellLocation(int x, int y, int &xLocation, int &yLocation) const;
    bool MotionDetector_GetCellSize(int &xSize, int &ySize) const;
    int MotionDetector_CellColorIntensity(int rgbSelector, int x, int y) const;
    int MotionDetector_GlobalColorIntensity(int rgbSelector) const;
    QString MotionDetector_Get2DTextGrid() const;
    QString MotionDetector_Get2DTextMotion() const;
    void MotionDetector_Reset();
    void MotionDetector_TriggerNow();
    // A null image and empty/missing files remove the reference sample (true); an invalid picture is refused.
    bool MotionDetector_UseThisReferenceSample(const QImage &bitmap, const QString &bmpFile,
                                               const QString &jpegFile);

    // The counts of one cell in the last analysed frame; false for a cell outside the grid.
    bool CellCounts(int x, int y, int &changed, int &compared) const;

private:
    struct TState;
    std::unique_ptr<TState> d;
};
