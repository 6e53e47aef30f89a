#pragma once
// Termination requests from the system (SIGTERM, SIGINT) delivered to the event loop.
#include <functional>

namespace platform {

// Installs handlers for SIGTERM and SIGINT that call `handler` on the thread of the application object,
// from its event loop (never inside the signal handler). Calling it again replaces the handler. Needs a
// QCoreApplication.
void InstallTerminationHandler(std::function<void()> handler);

} // namespace platform
