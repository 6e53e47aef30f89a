#include "core/windowsink.h"

#include "core/services.h"

TMainWindowSink *MainWindowSink() { return Services().WindowSink; }

void SetMainWindowSink(TMainWindowSink *sink) { Services().WindowSink = sink; }
