#include "capture/motiongrid.h"

#include <algorithm>

TMotionGrid::TMotionGrid()
{
    FGridXSize = FGridYSize = 0;
    Redimension(10, 10, 5);
}

void TMotionGrid::Redimension(int x, int y, int level)
{
    if (x < 1 || x > MaxDimension)
        x = 1;
    if (y < 1 || y > MaxDimension)
        y = 1;
    if (x == FGridXSize && y == FGridYSize)
        return;
    FGridXSize = x;
    FGridYSize = y;
    FGridXBound = x - 1;
    FGridYBound = y - 1;
    FMotionCellInfo.assign(size_t(x) * y, TMotionCellInfo());
    for (TMotionCellInfo &cell : FMotionCellInfo)
        StoreLevel(cell, level);
    FxtStep.assign(x, 0);
    FytStep.assign(y, 0);
    FStepsFound = false;
    FxtCount = FytCount = 0;
    FMotionRatio = 0;
    FMaxMotionCellX = FMaxMotionCellY = 0;
    RebuildGridText();
}

void TMotionGrid::StoreLevel(TMotionCellInfo &cell, int level)
{
    cell.Fci_Grid_0_9 = level;
    cell.Fci_Sensitivity_0_256 = MotionThreshold(level);
}

void TMotionGrid::RebuildGridText()
{
    QString text;
    text.reserve(FGridYSize * (FGridXSize + 1));
    for (int y = 0; y < FGridYSize; ++y) {
        if (y > 0)
            text += QLatin1Char(' ');
        for (int x = 0; x < FGridXSize; ++x)
            text += QLatin1Char(char('0' + Cell(x, y).Fci_Grid_0_9));
    }
    FGridString = text;
    FIsGridValid = true;
}

bool TMotionGrid::SetCellLevel(int x, int y, int level)
{
    if (!Contains(x, y) || level < 0 || level > 9)
        return false;
    StoreLevel(Cell(x, y), level);
    RebuildGridText();
    return true;
}

bool TMotionGrid::GetCellLevel(int x, int y, int &level) const
{
    if (!Contains(x, y))
        return false;
    level = Cell(x, y).Fci_Grid_0_9;
    return true;
}

void TMotionGrid::ResetGlobalSensitivity(int value)
{
    if (value > 9)
        return;
    if (value >= 0)
        for (TMotionCellInfo &cell : FMotionCellInfo)
            StoreLevel(cell, value);
    RebuildGridText();
}

void TMotionGrid::GloballyIncOrDecSensitivity(int value)
{
    for (TMotionCellInfo &cell : FMotionCellInfo) {
        const int level = cell.Fci_Grid_0_9;
        if (level <= 0 || (value < 0 && level <= 1) || (value > 0 && level >= 9))
            continue;
        StoreLevel(cell, int(std::clamp<int64_t>(int64_t(level) + value, 0, 9)));
    }
    RebuildGridText();
}

bool TMotionGrid::SetGridText(const QString &text)
{
    const int length = FGridYSize * (FGridXSize + 1) - 1;
    // Blanks as a trim understands them: every character up to the space.
    auto blank = [](QChar c) { return c.unicode() <= ' '; };
    const QString head = text.left(length);
    int first = 0, last = int(head.size());
    while (first < last && blank(head[first]))
        ++first;
    while (last > first && blank(head[last - 1]))
        --last;
    bool valid = last - first == length;
    for (int i = 0; valid && i < length; ++i) {
        const QChar c = head[first + i];
        valid = (i % (FGridXSize + 1) == FGridXSize) ? c == QLatin1Char(' ')
                                                      : (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
    }
    if (!valid) {
        FIsGridValid = false;
        return false;
    }
    for (int y = 0; y < FGridYSize; ++y)
        for (int x = 0; x < FGridXSize; ++x)
            StoreLevel(Cell(x, y), head[y * (FGridXSize + 1) + x].unicode() - '0');
    RebuildGridText();
    return true;
}

void TMotionGrid::ComputeSteps(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    // roundHalfUp(W / columns) in integers: floor((2W + columns) / (2 columns)).
    FxtCount = int32_t((2 * int64_t(width) + FGridXSize) / (2 * int64_t(FGridXSize)));
    FytCount = int32_t((2 * int64_t(height) + FGridYSize) / (2 * int64_t(FGridYSize)));
    for (int i = 0; i < FGridXSize; ++i)
        FxtStep[i] = i == FGridXBound ? width : FxtCount * (i + 1);
    for (int i = 0; i < FGridYSize; ++i)
        FytStep[i] = i == FGridYBound ? height : FytCount * (i + 1);
    FStepsFound = true;
}

void TMotionGrid::ClearCounters()
{
    for (TMotionCellInfo &cell : FMotionCellInfo)
        cell.Fci_MotionPixelDetected = cell.Fci_TotalMotionPixels = 0;
    FMotionRatio = 0;
    FMaxMotionCellX = FMaxMotionCellY = 0;
}

bool TMotionGrid::Conclude()
{
    int64_t changed = 0, compared = 0;
    int32_t best = -1;
    int bestX = 0, bestY = 0;
    for (int y = 0; y < FGridYSize; ++y)
        for (int x = 0; x < FGridXSize; ++x) {
            const TMotionCellInfo &cell = Cell(x, y);
            changed += cell.Fci_MotionPixelDetected;
            compared += cell.Fci_TotalMotionPixels;
            if (cell.Fci_MotionPixelDetected > best) {
                best = cell.Fci_MotionPixelDetected;
                bestX = x;
                bestY = y;
            }
        }
    const bool motion = changed > 0 && compared > 0;
    FMotionRatio = motion ? double(changed) / double(compared) : 0;
    FMaxMotionCellX = motion ? bestX : 0;
    FMaxMotionCellY = motion ? bestY : 0;
    return motion;
}

double TMotionGrid::CellMotionRatio(int x, int y) const
{
    if (!Contains(x, y))
        return -1;
    const TMotionCellInfo &cell = Cell(x, y);
    if (cell.Fci_MotionPixelDetected == 0 || cell.Fci_TotalMotionPixels == 0)
        return 0;
    const double ratio = double(cell.Fci_MotionPixelDetected) / double(cell.Fci_TotalMotionPixels);
    return double(RoundHalfUp(ratio * 10000)) / 10000;
}

bool TMotionGrid::GetCellLocation(int x, int y, int &xLocation, int &yLocation) const
{
    if (!FStepsFound || !Contains(x, y))
        return false;
    xLocation = FxtStep[x] - FxtCount;
    yLocation = FytStep[y] - FytCount;
    return true;
}

bool TMotionGrid::GetCellSize(int &xSize, int &ySize) const
{
    if (!FStepsFound)
        return false;
    xSize = FxtCount;
    ySize = FytCount;
    return true;
}

static double Intensity(const TMotionCellInfo &cell, int rgbSelector)
{
    switch (rgbSelector) {
    case 0: return cell.Fci_RIntensity;
    case 1: return cell.Fci_GIntensity;
    case 2: return cell.Fci_BIntensity;
    default: return 0;
    }
}

int TMotionGrid::CellColorIntensity(int rgbSelector, int x, int y) const
{
    if (!Contains(x, y))
        return -1;
    return int(RoundHalfUp(Intensity(Cell(x, y), rgbSelector)));
}

int TMotionGrid::GlobalColorIntensity(int rgbSelector) const
{
    if (FMotionCellInfo.empty())
        return 0;
    double sum = 0;
    for (const TMotionCellInfo &cell : FMotionCellInfo)
        sum += Intensity(cell, rgbSelector);
    return int(RoundHalfUp(sum / double(FMotionCellInfo.size())));
}

QString TMotionGrid::Get2DTextGrid() const
{
    QString text;
    for (int y = 0; y < FGridYSize; ++y) {
        QString line;
        for (int x = 0; x < FGridXSize; ++x) {
            const int level = Cell(x, y).Fci_Grid_0_9;
            line += level == 0 ? QLatin1Char('.') : QLatin1Char(char('0' + level));
            line += QLatin1Char(' ');
        }
        text += line.trimmed() + QLatin1String("\r\n");
    }
    return text;
}

QString TMotionGrid::Get2DTextMotion() const
{
    QString text;
    for (int y = 0; y < FGridYSize; ++y) {
        for (int x = 0; x < FGridXSize; ++x) {
            const double ratio = CellMotionRatio(x, y);
            text += ratio > 0 ? QLatin1Char(char('0' + std::min<int64_t>(9, RoundHalfUp(ratio * 10))))
                              : QLatin1Char('.');
            text += QLatin1Char(' ');
        }
        text += QLatin1String("\r\n");
    }
    return text;
}
