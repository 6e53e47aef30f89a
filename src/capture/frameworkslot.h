#pragma once
// At most as many frames are decoded and analysed at the same moment as the machine has processor cores.
// Cameras on one network tend to deliver their frames together; without a limit every capture thread would
// take a fresh frame buffer at once and the threads would push one another's pictures out of the processor
// caches. With it they take turns: few buffers are in flight, and each frame is decoded and compared while
// its pixels are still in the cache. Held only for decoding and motion analysis, never while a frame sink
// (recorder) works or a frame is handed to the user interface.
class TFrameWorkSlot
{
public:
    TFrameWorkSlot();   // waits for a free slot
    ~TFrameWorkSlot();  // gives it back unless already given back
    TFrameWorkSlot(const TFrameWorkSlot &) = delete;
    TFrameWorkSlot &operator=(const TFrameWorkSlot &) = delete;

    void Release();

private:
    bool m_held = true;
};
