#pragma once
// Picture buffers shared by the capture threads of all cameras. A picture taken here returns its buffer by
// itself when the last copy of it is gone (decoder, detector, display slot, recorder, still capture), and
// the buffer goes to the next picture of any camera. Between two frames a camera therefore holds about one
// picture (the frame it shows, which is also its detector's base), and only the cameras decoding at the
// moment hold a second one. Thread-safe.
#include <QImage>
#include <QSize>

// Free buffers of one size kept for reuse; more are given back to the system. Each one costs a whole frame of
// memory, and each one fewer makes cameras that decode at the same moment fault in fresh memory (16 cameras
// on one 720p stream, ostrivo-bench cameras: 8 spares 6.3 MB per camera; 4 spares 5.3 MB but about 20 %
// more processor time and, with 64 cameras, user-interface stalls of seconds).
constexpr int MaxSpareFrameBuffers = 8;
// And of large pictures only as many as fit in this many bytes (but always the last two given back).
constexpr qint64 MaxSpareFrameBufferBytes = 64 * 1024 * 1024;

// A Format_RGB32 picture of that size (contents undefined) that nobody else holds, or a null image when
// there is no memory for it.
QImage TakeFramePicture(QSize size);

// Buffers kept for reuse right now, and their bytes (for tests and measurements).
int SpareFrameBuffers();
qint64 SpareFrameBufferBytes();
