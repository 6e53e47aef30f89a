#include "core/services.h"

#include "platform/folders.h"

#include <atomic>

namespace {
std::atomic<TServices *> g_current{nullptr};
}

TServices::TServices() : m_previous(g_current.load()) { g_current = this; }

TServices::~TServices()
{
    if (g_current.load() == this)
        g_current = m_previous;
}

TServices &Services()
{
    if (TServices *current = g_current.load())
        return *current;
    // Nobody made one (a tool, a test of pure logic): a default one for the rest of the run.
    static TServices *fallback = new TServices;
    return *fallback;
}

QString ProgramFolder()
{
    const QString folder = Services().ProgramFolder;
    return folder.isEmpty() ? platform::ProgramFolder() : folder;
}

QString DataFilesFolder() { return platform::DataFilesFolderFor(ProgramFolder()); }
