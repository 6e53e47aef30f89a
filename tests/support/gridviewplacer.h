#pragma once
// Puts the views of the cameras a test creates into a camera grid of the test's own, as the main window
// does with its grid.
#include "mainwindow/gridpanel.h"
#include "runtime/lifecycle.h"

struct TGridViewPlacer : TCameraViewPlacer
{
    TAdvancedGridPanel *Grid = nullptr;

    bool PlaceCameraView(QWidget *view, int column, int row) override
    {
        return Grid && Grid->PlaceView(view, column, row);
    }
};
