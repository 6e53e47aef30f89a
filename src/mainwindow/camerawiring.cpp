#include "mainwindow/camerawiring.h"

#include "capture/capturecomponent.h"
#include "core/main.h"
#include "core/timer.h"
#include "mainwindow/gridpanel.h"
#include "mainwindow/mainform.h"
#include "runtime/cameracontrol.h"
#include "runtime/cameraoverlays.h"

namespace {

TCamera *CameraAt(int index)
{
    const auto &cameras = App().Cameras;
    return index >= 0 && index < int(cameras.size()) ? cameras[size_t(index)].get() : nullptr;
}

} // namespace

TCameraWiring::TCameraWiring(TMainForm &form) : m_form(form)
{
    InstallComponentCameraControl();
}

TCameraWiring::~TCameraWiring() { SetCameraViewPlacer(nullptr); }

void TCameraWiring::LoadCameras() { ::LoadCameras(*this); }
void TCameraWiring::SaveCameras() { ::SaveCameras(*this); }
void TCameraWiring::UpdateTextOverlays() { UpdateTextOverlaysOnCameras(); }
void TCameraWiring::ReleaseCamera(TCamera &camera) { GrabberDelete(camera); }
void TCameraWiring::ReconnectOnTimer() { m_reconnector.ReconnectTimerTimer(*m_form.ReconnectTimer); }

void TCameraWiring::ReleaseCameraGrid()
{
    if (m_grid)
        for (const auto &camera : App().Cameras)
            if (camera->Grabber)
                m_grid->RemoveView(camera->Grabber);
    SetCameraViewPlacer(nullptr);
}

void TCameraWiring::FullScreen()
{
    if (m_grid)
        m_grid->FullScreen();
}

void TCameraWiring::NextLayout()
{
    if (m_grid)
        m_grid->StepLayout();
}

void TCameraWiring::ApplyLayout(int columns, int rows)
{
    if (m_grid)
        m_grid->ApplyLayout(columns, rows);
}

QWidget *TCameraWiring::CreateCameraGrid(QWidget *parent)
{
    auto *grid = new TAdvancedGridPanel(parent);
    grid->CameraView = [](int index) -> QWidget * {
        const TCamera *camera = CameraAt(index);
        return camera ? camera->Grabber : nullptr;
    };
    grid->SetPictureVisible = [](int index, bool visible) {
        if (const TCamera *camera = CameraAt(index); camera && camera->Grabber)
            camera->Grabber->SetDisplayVisible(0, visible);
    };
    grid->CameraSelected = [](int index) {
        if (TCamera *camera = CameraAt(index))
            CameraDragStarted(*camera);
    };
    grid->ShowFullScreen = [](int index) {
        if (const TCamera *camera = CameraAt(index); camera && camera->Grabber)
            camera->Grabber->SetDisplayFullScreen(0, true);
    };
    m_grid = grid;
    SetCameraViewPlacer(this);
    return grid;
}

bool TCameraWiring::PlaceCameraView(QWidget *view, int column, int row)
{
    return m_grid && m_grid->PlaceView(view, column, row);
}

int TCameraWiring::GridColumns() const { return m_grid ? m_grid->ColumnCount() : 2; }

int TCameraWiring::GridRows() const { return m_grid ? m_grid->RowCount() : 2; }

void TCameraWiring::RealignGrid(int cols, int rows)
{
    if (m_grid)
        m_grid->RealignGrid(cols, rows);
}

bool TCameraWiring::IsCellFree(int col, int row) const { return m_grid && m_grid->IsCellFree(col, row); }

bool TCameraWiring::FirstFreeCell(int &col, int &row) const
{
    if (!m_grid)
        return false;
    const TGridCell cell = m_grid->FirstFreeCell();
    col = cell.Column;
    row = cell.Row;
    return cell.IsValid();
}

void TCameraWiring::CreateCamera(TCamera &camera, int col, int row)
{
    GrabberCreate(camera, col, row);
    GrabberConnect(camera);
}

bool TCameraWiring::CameraCell(const TCamera &camera, int &col, int &row) const
{
    if (!m_grid || !camera.Grabber)
        return false;
    const TGridCell cell = m_grid->CellOf(camera.Grabber);
    col = cell.Column;
    row = cell.Row;
    return cell.IsValid();
}
