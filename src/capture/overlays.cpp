#include "capture/overlays.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

bool OverlayOnLayer(int targetDisplay, TOverlayLayer layer)
{
    switch (layer) {
    case TOverlayLayer::Frames:
        return targetDisplay == TargetDisplay_InFrames;
    case TOverlayLayer::LiveView:
        return targetDisplay == TargetDisplay_LiveOnly || targetDisplay == 0;
    case TOverlayLayer::Down:
        return targetDisplay == TargetDisplay_WhenDown;
    }
    return false;
}

QFont OverlayQFont(const TTextOverlay &overlay)
{
    QFont font(overlay.Font.Name);
    font.setPointSize(std::max(1, overlay.Font.Size));
    font.setBold(overlay.Font.Bold);
    font.setItalic(overlay.Font.Italic);
    font.setUnderline(overlay.Font.Underline);
    font.setStrikeOut(overlay.Font.StrikeOut);
    font.setStyleStrategy(overlay.HighResFont ? QFont::PreferAntialias : QFont::NoAntialias);
    return font;
}

void TImageOverlay::Prepare()
{
    Prepared = QImage();
    if (Picture.isNull())
        return;
    const QSize size(Width > 0 ? Width : Picture.width(), Height > 0 ? Height : Picture.height());
    QImage image = Picture.convertToFormat(QImage::Format_ARGB32);
    if (Transparent) {
        const QRgb key = (UseTransparentColor ? TransparentColorValue.rgb() : image.pixel(0, image.height() - 1))
                         & RGB_MASK;
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & RGB_MASK) == key)
                    line[x] = 0;
            }
        }
    }
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Prepared = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

namespace {

QRect AlignedRect(const QRect &area, QSize size, TVideoAlignment alignment)
{
    const int column = int(alignment) % 3;  // 0 left, 1 centre, 2 right
    const int row = int(alignment) / 3;     // 0 top, 1 centre, 2 bottom
    const int x = column == 0 ? area.left()
                  : column == 1 ? area.left() + (area.width() - size.width()) / 2
                                : area.right() + 1 - size.width();
    const int y = row == 0 ? area.top()
                  : row == 1 ? area.top() + (area.height() - size.height()) / 2
                             : area.bottom() + 1 - size.height();
    return QRect(QPoint(x, y), size);
}

QPoint ShadowOffset(TCardinalDirection direction, int distance)
{
    switch (direction) {
    case cd_North: return {0, -distance};
    case cd_NorthEast: return {distance, -distance};
    case cd_East: return {distance, 0};
    case cd_SouthEast: return {distance, distance};
    case cd_South: return {0, distance};
    case cd_SouthWest: return {-distance, distance};
    case cd_West: return {-distance, 0};
    case cd_NorthWest: return {-distance, -distance};
    case cd_Center: break;
    }
    return {};
}

void DrawText(QPainter &painter, const QRect &area, const TTextOverlay &overlay)
{
    if (overlay.String.isEmpty())
        return;
    painter.setFont(OverlayQFont(overlay));
    const int hFlag = overlay.Align == tf_Center ? Qt::AlignHCenter : overlay.Align == tf_Right ? Qt::AlignRight
                                                                                                : Qt::AlignLeft;
    const QRect band(area.left() + overlay.Left, area.top(), std::max(0, area.width() - 2 * overlay.Left),
                     area.height());
    const QRect needed = painter.fontMetrics().boundingRect(band, hFlag | Qt::AlignTop, overlay.String);
    const int row = int(overlay.VideoAlignment) / 3;
    const int top = row == 0 ? area.top() + overlay.Top
                    : row == 1 ? area.top() + (area.height() - needed.height()) / 2 + overlay.Top
                               : area.bottom() + 1 - overlay.Top - needed.height();
    const QRect box(band.left(), top, band.width(), needed.height());
    const int flags = hFlag | Qt::AlignTop | Qt::TextDontClip;

    if (overlay.Shadow) {
        const int distance = std::max(1, QFontMetrics(painter.font()).height() / 12);
        painter.setPen(overlay.ShadowColor);
        if (overlay.ShadowDirection == cd_Center) {
            // A halo: the shadow in all eight directions.
            for (int d = cd_North; d <= cd_NorthWest; ++d)
                painter.drawText(box.translated(ShadowOffset(TCardinalDirection(d), distance)), flags,
                                 overlay.String);
        } else {
            painter.drawText(box.translated(ShadowOffset(overlay.ShadowDirection, distance)), flags,
                             overlay.String);
        }
    }
    painter.setPen(overlay.Font.Color);
    painter.drawText(box, flags, overlay.String);
}

} // namespace

bool TOverlaySet::HasEnabled(TOverlayLayer layer) const
{
    return std::any_of(Texts.begin(), Texts.end(),
                       [&](const TTextOverlay &t) {
                           return t.Enabled && !t.String.isEmpty() && OverlayOnLayer(t.TargetDisplay, layer);
                       })
           || std::any_of(Images.begin(), Images.end(), [&](const TImageOverlay &i) {
                  return i.Enabled && !i.Prepared.isNull() && OverlayOnLayer(i.TargetDisplay, layer);
              });
}

void TOverlaySet::Draw(QPainter &painter, const QRect &area, TOverlayLayer layer) const
{
    painter.save();
    painter.setClipRect(area);
    for (const TImageOverlay &image : Images) {
        if (!image.Enabled || image.Prepared.isNull() || !OverlayOnLayer(image.TargetDisplay, layer))
            continue;
        painter.setOpacity(image.AlphaBlend ? std::clamp(image.AlphaBlendValue, 0, 255) / 255.0 : 1.0);
        painter.drawImage(AlignedRect(area, image.Prepared.size(), image.VideoAlignment), image.Prepared);
    }
    painter.setOpacity(1.0);
    for (const TTextOverlay &text : Texts) {
        if (text.Enabled && OverlayOnLayer(text.TargetDisplay, layer))
            DrawText(painter, area, text);
    }
    painter.restore();
}
