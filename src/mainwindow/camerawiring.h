#pragma once
// Joins the cameras to the main window: the camera grid, reading and writing the camera list over it,
// bringing cameras up and down, the reconnection tick and the grid commands.
#include "core/camerafile.h"
#include "core/subsystems.h"
#include "mainwindow/gridpanel.h"
#include "runtime/lifecycle.h"
#include "runtime/reconnection.h"

#include <QPointer>

class TMainForm;

class TCameraWiring : public TCameraListHost, public ICameraLifetime, public TCameraViewPlacer
{
public:
    // The wiring must live as long as the form, which it serves once plugged in.
    explicit TCameraWiring(TMainForm &form);
    ~TCameraWiring() override;
    TCameraWiring(const TCameraWiring &) = delete;
    TCameraWiring &operator=(const TCameraWiring &) = delete;

    TAdvancedGridPanel *Grid() const { return m_grid; }
    TCameraReconnector &Reconnector() { return m_reconnector; }

    // TCameraListHost
    int GridColumns() const override;
    int GridRows() const override;
    void RealignGrid(int cols, int rows) override;
    bool IsCellFree(int col, int row) const override;
    bool FirstFreeCell(int &col, int &row) const override;
    void CreateCamera(TCamera &camera, int col, int row) override;
    bool CameraCell(const TCamera &camera, int &col, int &row) const override;

    // ICameraLifetime
    QWidget *CreateCameraGrid(QWidget *parent) override;
    void LoadCameras() override;
    void SaveCameras() override;
    void UpdateTextOverlays() override;
    void ReleaseCamera(TCamera &camera) override;
    void ReleaseCameraGrid() override;
    void ReconnectOnTimer() override;
    void FullScreen() override;
    void NextLayout() override;
    void ApplyLayout(int columns, int rows) override;

    // TCameraViewPlacer
    bool PlaceCameraView(QWidget *view, int column, int row) override;

private:

    TMainForm &m_form;
    QPointer<TAdvancedGridPanel> m_grid;
    TCameraReconnector m_reconnector;
};
