#include "platform/termination.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

// Windows ends the session through the application's own messages; nothing to install here.
void InstallTerminationHandler(std::function<void()>) {}

#else

namespace {

// The classic self-pipe: the signal handler only writes one byte; the event loop reads it and calls the
// handler where it is safe to do anything.
int g_signalFd[2] = {-1, -1};

void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalFd[0], &byte, 1);
    errno = saved;
}

class TTerminationListener : public QObject
{
public:
    explicit TTerminationListener(QObject *parent)
        : QObject(parent), m_notifier(g_signalFd[1], QSocketNotifier::Read, this)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] {
            char buffer[64];
            while (::read(g_signalFd[1], buffer, sizeof buffer) > 0) {
            }
            if (Handler)
                Handler();
        });
    }

    std::function<void()> Handler;

private:
    QSocketNotifier m_notifier;
};

TTerminationListener *g_listener = nullptr;

} // namespace

void InstallTerminationHandler(std::function<void()> handler)
{
    if (!g_listener) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFd) != 0)
            return;
        for (int fd : g_signalFd) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        g_listener = new TTerminationListener(QCoreApplication::instance());
        QObject::connect(g_listener, &QObject::destroyed, [] { g_listener = nullptr; });

        struct sigaction action = {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
    }
    g_listener->Handler = std::move(handler);
}

#endif

} // namespace platform
