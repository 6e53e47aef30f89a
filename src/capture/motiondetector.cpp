#include "capture/motiondetector.h"

// Stand-in until the detector proper lands: switched on and off, never reports motion.
struct TMotionDetector::TState
{
    bool enabled = false;
};

TMotionDetector::TMotionDetector() : d(std::make_unique<TState>()) {}
TMotionDetector::~TMotionDetector() = default;
TMotionResult TMotionDetector::ProcessFrame(const TVideoFrame &) { return {}; }
void TMotionDetector::PictureRestarted() {}
bool TMotionDetector::MotionDetector_Enabled() const { return d->enabled; }
void TMotionDetector::SetMotionDetector_Enabled(bool value) { d->enabled = value; }
QString TMotionDetector::MotionDetector_Grid() const { return {}; }
void TMotionDetector::SetMotionDetector_Grid(const QString &) {}
bool TMotionDetector::MotionDetector_GreyScale() const { return false; }
void TMotionDetector::SetMotionDetector_GreyScale(bool) {}
bool TMotionDetector::MotionDetector_ReduceVideoNoise() const { return false; }
void TMotionDetector::SetMotionDetector_ReduceVideoNoise(bool) {}
bool TMotionDetector::MotionDetector_CompareRed() const { return true; }
void TMotionDetector::SetMotionDetector_CompareRed(bool) {}
bool TMotionDetector::MotionDetector_CompareGreen() const { return true; }
void TMotionDetector::SetMotionDetector_CompareGreen(bool) {}
bool TMotionDetector::MotionDetector_CompareBlue() const { return true; }
void TMotionDetector::SetMotionDetector_CompareBlue(bool) {}
int TMotionDetector::MotionDetector_ReduceCPULoad() const { return 1; }
void TMotionDetector::SetMotionDetector_ReduceCPULoad(int) {}
double TMotionDetector::MotionDetector_MaxDetectionsPerSecond() const { return 0; }
void TMotionDetector::SetMotionDetector_MaxDetectionsPerSecond(double) {}
bool TMotionDetector::MotionDetector_Triggered() const { return false; }
void TMotionDetector::SetMotionDetector_Triggered(bool) {}
double TMotionDetector::MotionDetector_GlobalMotionRatio() const { return 0; }
int TMotionDetector::MotionDetector_GridXCount() const { return 10; }
int TMotionDetector::MotionDetector_GridYCount() const { return 10; }
bool TMotionDetector::MotionDetector_IsGridValid() const { return true; }
void TMotionDetector::MotionDetector_ResetGlobalSensitivity(int) {}
void TMotionDetector::MotionDetector_GloballyIncOrDecSensitivity(int) {}
bool TMotionDetector::MotionDetector_SetCellSensitivity(int, int, int) { return false; }
bool TMotionDetector::MotionDetector_GetCellSensitivity(int, int, int &) const { return false; }
void TMotionDetector::MotionDetector_SetGridSize(int, int, bool) {}
double TMotionDetector::MotionDetector_CellMotionRatio(int, int) const { return -1; }
bool TMotionDetector::MotionDetector_GetCellLocation(int, int, int &, int &) const { return false; }
bool TMotionDetector::MotionDetector_GetCellSize(int &, int &) const { return false; }
int TMotionDetector::MotionDetector_CellColorIntensity(int, int, int) const { return -1; }
int TMotionDetector::MotionDetector_GlobalColorIntensity(int) const { return 0; }
QString TMotionDetector::MotionDetector_Get2DTextGrid() const { return {}; }
QString TMotionDetector::MotionDetector_Get2DTextMotion() const { return {}; }
void TMotionDetector::MotionDetector_Reset() {}
void TMotionDetector::MotionDetector_TriggerNow() {}
bool TMotionDetector::MotionDetector_UseThisReferenceSample(const QImage &, const QString &, const QString &)
{
    return true;
}
