#include "capture/frameworkslot.h"

#include <QSemaphore>
#include <QThread>

#include <algorithm>

namespace {

// Never destroyed: a capture thread may still hand back its slot while the program ends.
QSemaphore &Slots()
{
    static auto *semaphore = new QSemaphore(std::max(1, QThread::idealThreadCount()));
    return *semaphore;
}

} // namespace

TFrameWorkSlot::TFrameWorkSlot()
{
    Slots().acquire();
}

TFrameWorkSlot::~TFrameWorkSlot()
{
    Release();
}

void TFrameWorkSlot::Release()
{
    if (!m_held)
        return;
    m_held = false;
    Slots().release();
}
