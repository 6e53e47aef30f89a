#include "runtime/framestats.h"

#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/main.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>

Q_LOGGING_CATEGORY(ostrivoStats, "ostrivo.stats", QtWarningMsg)

namespace {

constexpr int ReportIntervalMs = 1000;
constexpr int StallProbeIntervalMs = 10;

// Watches the user-interface thread: a probe timer that fires late measures how long the thread was busy.
class TFrameStats : public QObject
{
public:
    TFrameStats()
    {
        m_probe.setTimerType(Qt::PreciseTimer);
        m_probe.setInterval(StallProbeIntervalMs);
        connect(&m_probe, &QTimer::timeout, this, &TFrameStats::Probe);
        m_report.setInterval(ReportIntervalMs);
        connect(&m_report, &QTimer::timeout, this, &TFrameStats::Report);
        m_sinceProbe.start();
        m_probe.start();
        m_report.start();
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()) {
            qCInfo(ostrivoStats) << "window shown";
            qApp->removeEventFilter(this);
        }
        return false;
    }

private:
    void Probe()
    {
        m_longestStallMs = std::max(m_longestStallMs, m_sinceProbe.restart() - StallProbeIntervalMs);
    }
    void Report()
    {
        quint64 analysed = 0;
        TStageTimes stages;
        for (const auto &camera : App().Cameras) {
            if (!camera->Grabber)
                continue;
            analysed += camera->Grabber->AnalysedFrames();
            camera->Grabber->TimeStages();  // cameras added later are timed from their first report on
            stages += camera->Grabber->StageTimes();
        }
        qCInfo(ostrivoStats).nospace() << "frames analysed=" << analysed
                                       << " stall_ms=" << std::max<qint64>(0, m_longestStallMs)
                                       << " timed=" << stages.Frames << " decode_ns=" << stages.DecodeNs
                                       << " detect_ns=" << stages.DetectNs << " display_ns=" << stages.DisplayNs;
        m_longestStallMs = 0;
    }

    QTimer m_probe;
    QTimer m_report;
    QElapsedTimer m_sinceProbe;
    qint64 m_longestStallMs = 0;
};

} // namespace

std::unique_ptr<QObject> StartFrameStatsIfEnabled()
{
    if (!ostrivoStats().isInfoEnabled())
        return nullptr;
    return std::make_unique<TFrameStats>();
}
