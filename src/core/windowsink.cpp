#include "core/windowsink.h"

#include "core/services.h"

TMainWindowSink *MainWindowSink() { return Services().WindowSink; }

void SetMainWindowSink(TMainWindowSink *sink) { Services().WindowSink = sink; }

TRecordingWindowSink::TRecordingWindowSink() : m_previous(MainWindowSink()) { SetMainWindowSink(this); }

TRecordingWindowSink::~TRecordingWindowSink()
{
    if (MainWindowSink() == this)
        SetMainWindowSink(m_previous);
}
