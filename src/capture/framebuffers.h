#pragma once
// Picture buffers shared by the capture threads of all cameras. A picture taken here returns its buffer by
// itself when the last copy of it is gone (decoder, detector, display slot, recorder, still capture), and
// the buffer goes to the next picture of any camera. Between two frames a camera therefore holds about one
// picture (the frame it shows, which is also its detector's base), and only the cameras decoding at the
// moment hold a second one. Thread-safe.
#include <QImage>
#include <QSize>

// Free buffers of one size kept for reuse; more are given back to the system. Each one costs a whole frame of
// memory. Few are needed since frames are processed in turns (TFrameTurn): only the cameras holding a turn
// have a second frame at the moment.
constexpr int MaxSpareFrameBuffers = 4;
// And of large pictures only as many as fit in this many bytes (but always the last two given back).
constexpr qint64 MaxSpareFrameBufferBytes = 64 * 1024 * 1024;

// A Format_RGB32 picture of that size (contents undefined) that nobody else holds, or a null image when
// there is no memory for it.
QImage TakeFramePicture(QSize size);

// Buffers kept for reuse right now, and their bytes (for tests and measurements).
int SpareFrameBuffers();
qint64 SpareFrameBufferBytes();

// A turn to decode and process one frame. Only as many frames as there are processors are processed at once,
// whichever cameras they come from: cameras that receive at the same moment (several views of one stream,
// or many cameras at start-up) then wait for a turn instead of all taking a second frame buffer at once and
// crowding out the user-interface thread. A turn that does not come within a second is not waited for (a
// frame is never held back for long). Not copyable; released when it goes.
class TFrameTurn
{
public:
    TFrameTurn();
    ~TFrameTurn();
    TFrameTurn(const TFrameTurn &) = delete;
    TFrameTurn &operator=(const TFrameTurn &) = delete;

    // False when the wait ran out and the frame goes ahead without a turn.
    bool Held() const { return m_held; }

    static constexpr int WaitMs = 1000;

private:
    bool m_held;
};
// Turns there are in all (the processors of the machine).
int FrameTurns();
