#pragma once
// Processor time the capture thread spends on the stages of its frames, for measuring the running program
// from outside (ostrivo-bench cameras reads it through the "ostrivo.stats" figures). Reading a thread's
// processor clock is a system call, so nothing is timed until a component is asked to time its stages.
#include <QtGlobal>

#include <atomic>

// The calling thread's processor time, in nanoseconds.
qint64 ThreadCpuNs();

// Totals since the timing was switched on.
struct TStageTimes
{
    quint64 Frames = 0;    // frames that went through every stage while timed
    qint64 DecodeNs = 0;   // JPEG decoding (nothing for sources that deliver pictures)
    qint64 DetectNs = 0;   // the motion detector
    qint64 DisplayNs = 0;  // the small picture for the live view

    TStageTimes &operator+=(const TStageTimes &other)
    {
        Frames += other.Frames;
        DecodeNs += other.DecodeNs;
        DetectNs += other.DetectNs;
        DisplayNs += other.DisplayNs;
        return *this;
    }
};

// The running totals of one component: added to by its capture thread, read by any thread.
struct TStageClock
{
    std::atomic<bool> Enabled{false};
    std::atomic<quint64> Frames{0};
    std::atomic<qint64> DecodeNs{0};
    std::atomic<qint64> DetectNs{0};
    std::atomic<qint64> DisplayNs{0};

    TStageTimes Read() const;
    void Add(const TStageTimes &times);
};

// The stages of one frame on the capture thread: each Lap gives the time since the previous lap (or since
// the frame came) to one stage, Skip gives it to none. Finish adds the frame to the totals; a frame that
// is dropped half-way adds nothing. All of it does nothing while the clock is not enabled.
class TFrameStages
{
public:
    explicit TFrameStages(TStageClock &clock);
    void Lap(qint64 TStageTimes::*stage);
    void Skip();
    void Finish();

private:
    TStageClock &m_clock;
    const bool m_timed;
    qint64 m_last = 0;
    TStageTimes m_frame{1};  // this one frame
};
