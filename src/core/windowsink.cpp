#include "core/windowsink.h"

namespace {
TMainWindowSink *g_sink = nullptr;
}

TMainWindowSink *MainWindowSink() { return g_sink; }

void SetMainWindowSink(TMainWindowSink *sink) { g_sink = sink; }

TRecordingWindowSink::TRecordingWindowSink() : m_previous(g_sink) { g_sink = this; }

TRecordingWindowSink::~TRecordingWindowSink() { g_sink = m_previous; }
