#pragma once
// The program's mail service: the shared SMTP client's busy flag that every camera's alert and snapshot
// email goes through, the transfers running on worker threads, and the once-per-run hint for Google mail.
// app/main.cpp creates one for the run (tests create their own); it installs itself for its lifetime.
#include "core/subsystems.h"
#include "notify/mailtransfer.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <thread>

class TMailService : public QObject, public IMailService
{
    Q_OBJECT
public:
    TMailService();
    ~TMailService() override;

    // The shared SMTP client's tag: 1 from the start of an alert or snapshot email until its answer.
    int SMTPTag = 0;
    // After shutdown released the mail components no transfer starts.
    bool Released() const { return m_released; }

    // Sends on a worker thread; done(result) follows on the user-interface thread (a transfer aborted by
    // the release comes back Cancelled). User-interface thread.
    using TDone = std::function<void(const TMailTransferResult &)>;
    void Transfer(const TMailConnection &connection, const TMailMessage &message, TDone done);
    int TransfersInProgress() const { return int(m_workers.size()); }

    // True the first time it is asked in the run (the Google hint is shown once).
    bool TakeGmailHint();

    // Shutdown: waits for an email on its way (events keep being processed; a termination request ends the
    // wait), then aborts whatever is left and joins the worker threads.
    void ReleaseMailComponents() override;

private:
    struct TWorker
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancel;
    };
    void Finished(quint64 id);
    void StopWorkers();

    std::map<quint64, TWorker> m_workers;
    quint64 m_lastId = 0;
    bool m_released = false;
    bool m_gmailHintShown = false;
    TMailService *m_previous = nullptr;
};

// The installed service, or nullptr (then no email is sent).
TMailService *MailService();
