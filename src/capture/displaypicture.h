#pragma once
// The picture a live view shows, made on the capture thread: a live view cell is usually much smaller than
// the frame, so the frame is scaled down once there, in parallel with the other cameras, and the user
// interface only copies the small picture to the screen. The view then holds no full frame of its own:
// between two frames a camera keeps one frame (its detector's base and still-capture slot) plus the small
// picture.
#include "capture/captureenums.h"

#include <QImage>
#include <QSize>

// Where a picture of `picture` size is drawn in a view of `area` size: the size of the drawn picture.
// ar_Box keeps the aspect inside the area, ar_PanScan keeps it and fills the area (edges cut), ar_Stretch
// fills the area, ar_NoResize keeps the picture's size.
QSize ShownPictureSize(QSize picture, QSize area, TAspectRatio mode);

// The picture for a view of `area` device pixels (empty: the frame is not on screen): a null image when the
// frame is not on screen; the frame scaled to its shown size (nearest pixel, as the painter draws it) when
// that is smaller than the frame; otherwise the frame itself, unscaled and uncopied.
QImage DisplayPicture(const QImage &frame, QSize area, TAspectRatio mode);
