#pragma once
// Figures for measuring the running program from outside (ostrivo-bench cameras), logged at info level in
// the category "ostrivo.stats", which is off unless enabled (QT_LOGGING_RULES="ostrivo.stats.info=true").
// While off nothing is set up and nothing runs. While on:
//   "window shown"                            once, when the first top-level window is first painted;
//   "frames analysed=<n> stall_ms=<m> timed=<f> decode_ns=<d> detect_ns=<e> display_ns=<p>"
//                                             every second: frames compared by the detectors of all cameras
//                                             so far, the longest user-interface stall of that second, and
//                                             the capture threads' processor time per stage over the <f>
//                                             frames timed so far (each camera from its first report on).
#include <QLoggingCategory>
#include <QObject>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(ostrivoStats)

// Starts the figures when the category is enabled (they run while the object lives; null when disabled);
// call once, before the main window is shown.
std::unique_ptr<QObject> StartFrameStatsIfEnabled();
