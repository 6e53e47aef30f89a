#pragma once
// Text and image overlays of the capture component and how they are drawn.
//
// Placement. A text overlay is laid out in a band as wide as the picture, inset by Left on both sides, and
// aligned inside it by Align (tf_Left / tf_Center / tf_Right). The row of VideoAlignment chooses the band's
// height: top rows start Top pixels below the top edge, centre rows are centred (moved down by Top), bottom
// rows end Top pixels above the bottom edge. So "tf_Right in oa_LeftBottom" is the bottom-right corner.
// An image overlay is Width x Height pixels (its own size where those are 0) in the corner, edge or centre
// that VideoAlignment names.
//
// Which overlays a surface shows is decided by the target-display code (captureenums.h): the frames get the
// -1 overlays, the live picture of every display window the -2 (and display 0) ones, the empty control the
// -3 ones.
#include "capture/captureenums.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;

// The font object of a text overlay: callers set its colour, name, size and style.
struct TOverlayFont
{
    QString Name = QStringLiteral("Arial");
    int Size = 12;  // points
    QColor Color = Qt::white;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
};

struct TTextOverlay
{
    bool Enabled = false;
    QString String;
    TOverlayFont Font;
    TTextOverlayAlign Align = tf_Left;
    TVideoAlignment VideoAlignment = oa_LeftTop;
    int Left = 0;
    int Top = 0;
    bool Shadow = false;
    QColor ShadowColor = Qt::black;
    TCardinalDirection ShadowDirection = cd_SouthEast;
    bool HighResFont = false;  // antialiased glyphs
    int TargetDisplay = TargetDisplay_InFrames;
};

struct TImageOverlay
{
    bool Enabled = false;
    QImage Picture;             // as loaded
    bool Transparent = false;   // one colour becomes see-through
    bool UseTransparentColor = false;  // that colour is TransparentColorValue, else the bottom-left pixel's
    QColor TransparentColorValue = Qt::black;
    bool AlphaBlend = false;
    int AlphaBlendValue = 255;  // 0..255, with AlphaBlend
    int Width = 0;              // 0: the picture's own size
    int Height = 0;
    TVideoAlignment VideoAlignment = oa_LeftTop;
    int TargetDisplay = TargetDisplay_InFrames;

    QImage Prepared;            // Picture at its drawn size with the transparent colour keyed out
    void Prepare();             // rebuilds Prepared after any change
};

enum class TOverlayLayer
{
    Frames,     // -1: into the video frames
    LiveView,   // -2 and display 0: on the live picture of the display windows
    Down        // -3: on the empty control
};

struct TOverlaySet
{
    std::vector<TTextOverlay> Texts;
    std::vector<TImageOverlay> Images;

    bool HasEnabled(TOverlayLayer layer) const;
    // Draws the enabled overlays of that layer into `area`, images first, then texts in slot order.
    void Draw(QPainter &painter, const QRect &area, TOverlayLayer layer) const;
};

bool OverlayOnLayer(int targetDisplay, TOverlayLayer layer);
QFont OverlayQFont(const TTextOverlay &overlay);
