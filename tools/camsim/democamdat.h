#pragma once
#include <QString>

constexpr int MaxDemoCameras = 4;

// Writes folder/cam.dat holding count (1..4) cameras on this simulator at 127.0.0.1:port in a 2 x 2 grid,
// unless the file already exists. False (with the reason) when it could not be written.
bool WriteDemoCameraList(const QString &folder, quint16 port, int count, QString *error);
