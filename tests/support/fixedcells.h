#pragma once
#include "core/camerafile.h"
#include "core/main.h"

#include <tuple>
#include <utility>
#include <vector>

// The cells a test gives the cameras of Cameras, in a grid of a fixed size; bringing cameras up does nothing.
struct TFixedCells : TCameraListHost
{
    TFixedCells(int columns, int rows) : Columns(columns), Rows(rows) {}
    int Columns, Rows;
    std::vector<std::pair<int, int>> Cells; // entry i: column and row of camera i
    int GridColumns() const override { return Columns; }
    int GridRows() const override { return Rows; }
    void RealignGrid(int, int) override {}
    bool IsCellFree(int, int) const override { return true; }
    bool FirstFreeCell(int &, int &) const override { return false; }
    void CreateCamera(TCamera &, int, int) override {}
    bool CameraCell(const TCamera &camera, int &col, int &row) const override
    {
        for (size_t i = 0; i < App().Cameras.size(); ++i)
            if (App().Cameras[i].get() == &camera) {
                std::tie(col, row) = Cells[i];
                return true;
            }
        return false;
    }
};
