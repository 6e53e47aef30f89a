#include "notify/mailservice.h"

#include "core/timer.h"

namespace {

TMailService *g_installed = nullptr;

} // namespace

TMailService *MailService() { return g_installed; }

TMailService::TMailService() : m_previous(g_installed) { g_installed = this; }

TMailService::~TMailService()
{
    m_released = true;
    StopWorkers();
    if (g_installed == this)
        g_installed = m_previous;
}

void TMailService::Transfer(const TMailConnection &connection, const TMailMessage &message, TDone done)
{
    const quint64 id = ++m_lastId;
    TWorker &worker = m_workers[id];
    worker.cancel = std::make_shared<std::atomic<bool>>(false);
    if (m_released)
        worker.cancel->store(true);
    worker.thread = std::thread([this, id, connection, message, cancel = worker.cancel, done = std::move(done)] {
        TMailTransferResult result = TransferMail(connection, message, *cancel);
        result.Cancelled = result.Cancelled || (!result.Sent && cancel->load());
        // The last thing the thread does: the answer goes to the user-interface thread. Should the service
        // be gone by then, it has joined this thread first and the queued answer is discarded with it.
        QMetaObject::invokeMethod(
            this,
            [this, id, result, done] {
                Finished(id);
                if (done)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

void TMailService::Finished(quint64 id)
{
    const auto found = m_workers.find(id);
    if (found == m_workers.end())
        return;
    if (found->second.thread.joinable())
        found->second.thread.join();
    m_workers.erase(found);
}

bool TMailService::TakeGmailHint()
{
    if (m_gmailHintShown)
        return false;
    m_gmailHintShown = true;
    return true;
}

void TMailService::ReleaseMailComponents()
{
    DrainBusyFlags({&SMTPTag});
    m_released = true;
    StopWorkers();
}

void TMailService::StopWorkers()
{
    for (auto &[id, worker] : m_workers)
        worker.cancel->store(true);
    for (auto &[id, worker] : m_workers)
        if (worker.thread.joinable())
            worker.thread.join();
    // Their answers, already queued, find no worker and still report Cancelled to their callers.
    m_workers.clear();
}
