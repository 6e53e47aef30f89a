#pragma once
// A video frame as it travels through a capture component: decoded pixels plus when it was taken.
// Pixels are QImage::Format_RGB32, whose bytes in memory are B, G, R, X: a 32-bit BGR frame that the motion
// detector, the JPEG encoder, the AVI encoder and the painter all take without conversion.
#include <QImage>
#include <QtGlobal>

struct TVideoFrame
{
    QImage Image;          // Format_RGB32 (BGRX bytes)
    qint64 Time = 0;       // capture time in 100-ns units since the source started
    quint32 Number = 0;    // counts from 1 per started source
};
