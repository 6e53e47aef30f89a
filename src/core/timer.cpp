#include "core/timer.h"

#include "core/services.h"

#include <QCoreApplication>
#include <QThread>

TTimer::TTimer(int intervalMs, bool enabled, QObject *parent) : QObject(parent)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TTimer::Fire);
    SetEnabled(enabled);
}

void TTimer::SetInterval(int ms)
{
    m_timer.setInterval(ms);
    Restart();
}

void TTimer::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    Restart();
}

void TTimer::Restart()
{
    // As the classic timer: changing the interval or enabling starts a new full period; an interval of 0
    // means the timer does not tick.
    if (m_enabled && m_timer.interval() > 0)
        m_timer.start();
    else
        m_timer.stop();
}

void TTimer::Fire()
{
    if (OnTimer)
        OnTimer(this);
}

void RequestTermination() { Services().TerminationRequested = true; }
bool TerminationRequested() { return Services().TerminationRequested; }
void ClearTerminationRequest() { Services().TerminationRequested = false; }

void SetShutdownMarker(const TTimer *terminator) { Services().Terminator = terminator; }

bool IsShuttingDown()
{
    const TTimer *terminator = Services().Terminator;
    return terminator && terminator->Enabled();
}

TBusyGuard::TBusyGuard(int &tag)
{
    if (tag != 0 || IsShuttingDown())
        return;
    tag = 1;
    m_tag = &tag;
}

TBusyGuard::~TBusyGuard()
{
    if (m_tag)
        *m_tag = 0;
}

void DrainBusyFlags(std::initializer_list<const int *> tags)
{
    auto busy = [&] {
        for (const int *tag : tags)
            if (tag && *tag != 0)
                return true;
        return false;
    };
    while (busy() && !TerminationRequested()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (busy())
            QThread::msleep(1);
    }
}
