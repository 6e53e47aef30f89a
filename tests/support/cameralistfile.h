#pragma once
// Writes a cam.dat for a program a test starts: the given cameras, in the cells of a 2 x 2 grid.
#include "core/camerafile.h"
#include "core/main.h"
#include "core/services.h"

#include <QFile>
#include <QString>

#include <functional>

// A 2 x 2 grid in which no camera has a cell (each is stored as -1, -1 and placed at load).
struct TFixedGridHost : TCameraListHost
{
    int GridColumns() const override { return 2; }
    int GridRows() const override { return 2; }
    void RealignGrid(int, int) override {}
    bool IsCellFree(int, int) const override { return true; }
    bool FirstFreeCell(int &col, int &row) const override { return col = row = 0, true; }
    void CreateCamera(TCamera &, int, int) override {}
    bool CameraCell(const TCamera &, int &col, int &row) const override { return col = row = -1, false; }
};

inline QByteArray WriteCameraList(const QString &dataFolder, int count, const std::function<void(TCamera &, int)> &setUp)
{
    TServices services;  // the cameras written here go with it
    TFixedGridHost host;
    App().DataFolder = dataFolder;
    for (int k = 0; k < count; ++k) {
        App().Cameras.push_back(std::make_unique<TCamera>());
        setUp(*App().Cameras.back(), k);
    }
    const bool saved = SaveCameras(host);
    QFile file(dataFolder + QStringLiteral("/cam.dat"));
    return saved && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
