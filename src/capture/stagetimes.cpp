#include "capture/stagetimes.h"

#include <ctime>

qint64 ThreadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

TStageTimes TStageClock::Read() const
{
    constexpr auto relaxed = std::memory_order_relaxed;
    return TStageTimes{Frames.load(relaxed), DecodeNs.load(relaxed), DetectNs.load(relaxed), DisplayNs.load(relaxed)};
}

void TStageClock::Add(const TStageTimes &times)
{
    constexpr auto relaxed = std::memory_order_relaxed;
    Frames.fetch_add(times.Frames, relaxed);
    DecodeNs.fetch_add(times.DecodeNs, relaxed);
    DetectNs.fetch_add(times.DetectNs, relaxed);
    DisplayNs.fetch_add(times.DisplayNs, relaxed);
}

TFrameStages::TFrameStages(TStageClock &clock)
    : m_clock(clock), m_timed(clock.Enabled.load(std::memory_order_relaxed))
{
    if (m_timed)
        m_last = ThreadCpuNs();
}

void TFrameStages::Lap(qint64 TStageTimes::*stage)
{
    if (!m_timed)
        return;
    const qint64 now = ThreadCpuNs();
    m_frame.*stage += now - m_last;
    m_last = now;
}

void TFrameStages::Skip()
{
    if (m_timed)
        m_last = ThreadCpuNs();
}

void TFrameStages::Finish()
{
    if (m_timed)
        m_clock.Add(m_frame);
}
