#pragma once
// How a worker thread has the user-interface thread do something and waits for it: the call is queued to
// the thread of a context object and the worker sleeps until it has run. Cancelling (from the
// user-interface thread, when the context goes away) releases every waiting worker and refuses later
// calls, so a worker never waits for an event loop that is gone.
#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// Ends the program with a message when called outside the user-interface thread: the camera, log and
// email actions of the SMS commands must never run on the worker.
void RequireUserInterfaceThread(const char *what);

class TUiThreadBridge : public std::enable_shared_from_this<TUiThreadBridge>
{
public:
    // The calls run on context's thread; context must outlive the bridge or cancel it first.
    static std::shared_ptr<TUiThreadBridge> Create(QObject *context);

    // Runs call on the user-interface thread and waits for it. False when it did not run to its end: the
    // bridge was cancelled, or call threw. Called on the user-interface thread itself, it runs at once.
    bool Run(std::function<void()> call);
    // User-interface thread: releases a waiting worker and refuses every later call.
    void Cancel();
    bool IsCancelled() const;

private:
    explicit TUiThreadBridge(QObject *context) : m_context(context) {}

    struct TPending
    {
        bool Done = false;
        bool Succeeded = false;
    };

    QPointer<QObject> m_context;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_cancelled = false;
};
