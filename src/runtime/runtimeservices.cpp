#include "runtime/runtimeservices.h"

namespace {
TRuntimeServices *g_current = nullptr;
}

TRuntimeServices::TRuntimeServices() : m_previous(g_current)
{
    m_core.emplace();
    g_current = this;
}

TRuntimeServices::TRuntimeServices(TFallback) : m_previous(nullptr) { g_current = this; }

TRuntimeServices::~TRuntimeServices()
{
    if (g_current == this)
        g_current = m_previous;
    // The state log's timer and the core services go with it (members, in reverse order).
}

TRuntimeServices &RuntimeServices()
{
    if (!g_current) {
        // Nobody made one (a test of pure logic): a default one for the rest of the run.
        static TRuntimeServices *fallback = new TRuntimeServices(TRuntimeServices::TFallback{});
        return *fallback;
    }
    return *g_current;
}
