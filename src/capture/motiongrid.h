#pragma once
// The motion detector's grid: cells with their levels and thresholds, the cell boundaries for the current
// frame size, the per-cell counters of the last analysed frame and the grid text.
//
// Not thread-safe by itself: the detector that owns it serialises every access (see motiondetector.h).
#include <QString>

#include <cstdint>
#include <vector>

struct TMotionCellInfo
{
    int32_t Fci_Grid_0_9 = 0;             // level 0..9, 0 = cell off
    int32_t Fci_MotionPixelDetected = 0;  // changed sampled pixels of the last analysed frame
    int32_t Fci_TotalMotionPixels = 0;    // compared sampled pixels of the last analysed frame
    double Fci_RIntensity = 0;
    double Fci_GIntensity = 0;
    double Fci_BIntensity = 0;
    int32_t Fci_Sensitivity_0_256 = 256;  // a pixel changes when a difference is strictly above this
};

// Threshold of a level: 256 at level 0 (off) down to 4 at level 9.
constexpr int MotionThreshold(int level) { return 256 - (level * 56) / 2; }

// Integer part of v plus one when the fraction is at least one half (v >= 0).
inline int64_t RoundHalfUp(double v) { return int64_t(v + 0.5); }

class TMotionGrid
{
public:
    static constexpr int MaxDimension = 1000;

    TMotionGrid(); // 10 x 10 at level 5

    // Cells, row after row: index y * FGridXSize + x. Cell(x, y) requires a cell inside the grid.
    std::vector<TMotionCellInfo> FMotionCellInfo;
    std::vector<int32_t> FxtStep; // end boundary of each column cell
    std::vector<int32_t> FytStep; // end boundary of each row cell
    QString FGridString;
    bool FIsGridValid = true;
    bool FStepsFound = false;
    int32_t FxtCount = 0; // nominal cell width
    int32_t FytCount = 0; // nominal cell height
    int32_t FGridXBound = 9;
    int32_t FGridYBound = 9;
    int32_t FGridXSize = 10;
    int32_t FGridYSize = 10;
    double FMotionRatio = 0;
    int32_t FMaxMotionCellX = 0;
    int32_t FMaxMotionCellY = 0;

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FGridXSize && y < FGridYSize; }
    TMotionCellInfo &Cell(int x, int y) { return FMotionCellInfo[size_t(y) * FGridXSize + x]; }
    const TMotionCellInfo &Cell(int x, int y) const { return FMotionCellInfo[size_t(y) * FGridXSize + x]; }

    // Gives the grid x columns and y rows (a dimension outside 1..MaxDimension is taken as 1) with every
    // cell at `level`, the counters cleared and no boundaries. Does nothing when the grid already has these
    // dimensions.
    void Redimension(int x, int y, int level);

    // Levels. Every change through these rebuilds the grid text and marks it valid.
    bool SetCellLevel(int x, int y, int level);
    bool GetCellLevel(int x, int y, int &level) const;
    void ResetGlobalSensitivity(int value);
    void GloballyIncOrDecSensitivity(int value);
    // Parses grid text; a refused text leaves the levels alone and only clears FIsGridValid.
    bool SetGridText(const QString &text);

    // Boundaries for a frame of width x height (nothing when either is not positive).
    void ComputeSteps(int width, int height);
    void ClearCounters();
    // Global ratio and most active cell from the cell counters; true when the frame showed motion.
    bool Conclude();

    double CellMotionRatio(int x, int y) const;
    bool GetCellLocation(int x, int y, int &xLocation, int &yLocation) const;
    bool GetCellSize(int &xSize, int &ySize) const;
    int CellColorIntensity(int rgbSelector, int x, int y) const;
    int GlobalColorIntensity(int rgbSelector) const;
    QString Get2DTextGrid() const;
    QString Get2DTextMotion() const;

private:
    void StoreLevel(TMotionCellInfo &cell, int level);
    void RebuildGridText();
};
