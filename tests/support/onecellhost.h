#pragma once
// A camera list host with one camera in the first cell of a fixed grid, for writing cam.dat with the
// program's own file code in tests that then run the real program on it.
#include "core/camerafile.h"

struct TOneCellHost : TCameraListHost
{
    explicit TOneCellHost(int columns = 2, int rows = 2) : columns(columns), rows(rows) {}
    int GridColumns() const override { return columns; }
    int GridRows() const override { return rows; }
    void RealignGrid(int, int) override {}
    bool IsCellFree(int, int) const override { return true; }
    bool FirstFreeCell(int &col, int &row) const override { return col = 0, row = 0, true; }
    void CreateCamera(TCamera &, int, int) override {}
    bool CameraCell(const TCamera &, int &col, int &row) const override { return col = 0, row = 0, true; }

    int columns;
    int rows;
};
