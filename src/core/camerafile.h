#pragma once
// cam.dat: the size of the camera grid and, in the order of Cameras, every camera's stored configuration
// and the grid cell of its view. The grid and the camera bring-up belong to higher layers, which reach
// this file through TCameraListHost.
#include "core/camera.h"

#include <QString>

// The largest number of grid columns or rows a camera list may hold; a larger stored size is damage.
constexpr int MaxGridSide = 100;

// What reading and writing the camera list needs of the grid and of the camera runtime.
struct TCameraListHost
{
    virtual ~TCameraListHost() = default;

    virtual int GridColumns() const = 0;
    virtual int GridRows() const = 0;
    // (0, 0) grows the grid to hold all cameras of Cameras; otherwise an empty grid of cols x rows.
    virtual void RealignGrid(int cols, int rows) = 0;
    virtual bool IsCellFree(int col, int row) const = 0;
    // The first free cell, rows from the top and columns from the left; false when the grid is full.
    virtual bool FirstFreeCell(int &col, int &row) const = 0;
    // Brings up a camera just appended to Cameras with its view in the given cell (GrabberCreate, then
    // GrabberConnect).
    virtual void CreateCamera(TCamera &camera, int col, int row) = 0;
    // The cell of the camera's view; false when the view is not in the grid.
    virtual bool CameraCell(const TCamera &camera, int &col, int &row) const = 0;
};

// The cells of a camera list written without a grid on screen (a tool, a measurement): a columns x rows
// grid with the cameras of Cameras row by row from the top left.
struct TRowByRowCells : TCameraListHost
{
    TRowByRowCells(int columns, int rows) : Columns(columns), Rows(rows) {}
    int Columns;
    int Rows;

    int GridColumns() const override { return Columns; }
    int GridRows() const override { return Rows; }
    void RealignGrid(int, int) override {}
    bool IsCellFree(int col, int row) const override;
    bool FirstFreeCell(int &col, int &row) const override;
    void CreateCamera(TCamera &, int, int) override {}
    bool CameraCell(const TCamera &camera, int &col, int &row) const override;
};

// DataFolder + "/cam.dat".
QString CameraFilePath();

// Writes the grid size and all cameras. A failure is reported (no restart question) and gives false;
// the file then keeps its previous content.
bool SaveCameras(const TCameraListHost &host);

// Reads the file into Cameras (which is empty at start-up) and brings every camera up. No file: nothing
// happens. A damaged or cut-off file is reported with the restart question and gives false; the cameras
// read completely before the damage stay.
bool LoadCameras(TCameraListHost &host);
// The reading part of LoadCameras, on the file's content: false at the first damage (nothing reported), with
// the cameras read completely before it brought up.
bool DecodeCameraList(const QByteArray &content, TCameraListHost &host);
