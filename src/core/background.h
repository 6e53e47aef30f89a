#pragma once
// Work that blocks on the network, run away from the user-interface thread: the work runs on a thread of
// its own, and its result is handed to a function on the thread of a context object.
#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

// Runs work on a new thread, then done(result) on context's thread. done is not called when context is
// destroyed before. work gets no access to objects of other threads: give it copies. An exception that
// escapes work gives done a default-constructed result. The thread object frees itself.
template <class Result>
void RunInBackground(QObject *context, std::function<Result()> work, std::function<void(Result)> done)
{
    auto result = std::make_shared<Result>();
    QThread *thread = QThread::create([result, work = std::move(work)] {
        try {
            *result = work();
        } catch (...) {
            *result = Result();
        }
    });
    QObject::connect(thread, &QThread::finished, context, [result, done = std::move(done)] { done(std::move(*result)); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}
