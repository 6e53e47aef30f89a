#pragma once
// TTimer: a QTimer with the Interval / Enabled / Tag / OnTimer surface every handler relies on. Tag is the
// busy flag: 1 while the handler runs. TBusyGuard is how every handler enters and leaves.
#include <QObject>
#include <QTimer>

#include <functional>

class TTimer : public QObject
{
    Q_OBJECT
public:
    explicit TTimer(int intervalMs = 1000, bool enabled = true, QObject *parent = nullptr);

    int Interval() const { return m_timer.interval(); }
    void SetInterval(int ms);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

    // Raises OnTimer as a tick would (tests and handlers that call each other use it).
    void Fire();

    int Tag = 0;                                  // busy flag
    std::function<void(TTimer *sender)> OnTimer;  // the handler

private:
    void Restart();

    QTimer m_timer;
    bool m_enabled = false;
};

// The program-wide shutting-down marker: the main window's Terminator timer is registered here and its
// Enabled state is the marker. Without a registered timer the program is not shutting down.
void SetShutdownMarker(const TTimer *terminator);
bool IsShuttingDown();

// Enters a handler: refused while the flag is already set or the program shuts down; otherwise sets the
// flag and clears it again on every way out, exceptions included.
//     TBusyGuard busy(Snapshot_Timer->Tag);
//     if (!busy) return;
class TBusyGuard
{
public:
    explicit TBusyGuard(int &tag);
    ~TBusyGuard();
    TBusyGuard(const TBusyGuard &) = delete;
    TBusyGuard &operator=(const TBusyGuard &) = delete;
    explicit operator bool() const { return m_tag != nullptr; }

private:
    int *m_tag = nullptr;
};

// Processes pending events until every flag is clear (the shutdown and removal drains), or until
// termination has been requested: a handler that can only finish once the drain returns (it is waiting in
// a nested event loop below it) must not hang the program.
void DrainBusyFlags(std::initializer_list<const int *> tags);

// The application-wide termination request (the Terminator tick): drains stop waiting, and whoever runs
// the shutdown stops releasing what a still-busy handler may use.
void RequestTermination();
bool TerminationRequested();
void ClearTerminationRequest();
