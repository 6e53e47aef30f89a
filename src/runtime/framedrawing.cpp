#include "runtime/framedrawing.h"

#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/main.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Font size of the drawn texts: a 35th of the frame width, rounded.
QFont DrawnTextFont(int width)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(std::max(1, int(std::lround(width / 35.0))));
    return font;
}

} // namespace

void DrawCameraFrame(const TCamera &camera, const TFrameBitmapInfo &frame)
{
    const TApplicationState &app = App();
    const int selected = app.SelCamIndex;
    const bool isSelected =
        selected >= 0 && selected < int(app.Cameras.size()) && app.Cameras[size_t(selected)].get() == &camera;
    if (!isSelected && !camera.detector_MotionWasDetected && !app.GlobalSettings.DateTimeOverlay)
        return;
    // Only the full-screen hint and the alert draw anything; without them the frame is not even copied.
    const bool fullScreen = camera.Grabber && camera.Grabber->GetDisplayFullScreen(0);
    if (!fullScreen && !camera.detector_MotionWasDetected)
        return;
    QPainter *dc = frame.BitmapDC();
    if (!dc)
        return;
    const int w = frame.BitmapWidth;
    const int h = frame.BitmapHeight;
    dc->setBrush(Qt::NoBrush);
    if (fullScreen) {
        dc->setFont(DrawnTextFont(w));
        dc->setPen(Qt::white);
        const QFontMetrics metrics(dc->font(), dc->device());
        dc->drawText(w - metrics.horizontalAdvance(app.PressEscText) - 10, 10 + metrics.ascent(), app.PressEscText);
    }
    if (camera.detector_MotionWasDetected) {
        dc->setFont(DrawnTextFont(w));
        dc->setPen(QPen(Qt::red, 4));
        const QFontMetrics metrics(dc->font(), dc->device());
        const int x = int(std::nearbyint(w / 2.0 - metrics.horizontalAdvance(app.MotionAlertText) / 2.0));
        const int y = h - metrics.height() - 10;
        dc->drawText(x, y + metrics.ascent(), app.MotionAlertText);
        dc->drawRect(QRect(QPoint(2, 2), QPoint(w - 2, h - 2)));
    }
}
