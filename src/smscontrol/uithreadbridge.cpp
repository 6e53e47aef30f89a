#include "smscontrol/uithreadbridge.h"

#include <QCoreApplication>
#include <QThread>

void RequireUserInterfaceThread(const char *what)
{
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        qFatal("%s must run on the user-interface thread", what);
}

std::shared_ptr<TUiThreadBridge> TUiThreadBridge::Create(QObject *context)
{
    return std::shared_ptr<TUiThreadBridge>(new TUiThreadBridge(context));
}

bool TUiThreadBridge::Run(std::function<void()> call)
{
    QObject *context = m_context.data();
    if (!context || IsCancelled())
        return false;
    if (QThread::currentThread() == context->thread()) {
        try {
            call();
            return true;
        } catch (...) {
            return false;
        }
    }

    auto pending = std::make_shared<TPending>();
    auto self = shared_from_this();
    const bool queued = QMetaObject::invokeMethod(
        context,
        [self, pending, call = std::move(call)] {
            {
                std::lock_guard lock(self->m_mutex);
                if (self->m_cancelled)
                    return; // the worker no longer waits: what call refers to may be gone
            }
            bool succeeded = true;
            try {
                call();
            } catch (...) {
                succeeded = false;
            }
            {
                std::lock_guard lock(self->m_mutex);
                pending->Done = true;
                pending->Succeeded = succeeded;
            }
            self->m_changed.notify_all();
        },
        Qt::QueuedConnection);
    if (!queued)
        return false;

    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return pending->Done || m_cancelled; });
    return pending->Done && pending->Succeeded;
}

void TUiThreadBridge::Cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
}

bool TUiThreadBridge::IsCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}
