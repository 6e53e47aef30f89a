#include "capture/displaypicture.h"

#include "capture/framebuffers.h"

#include <vector>

QSize ShownPictureSize(QSize picture, QSize area, TAspectRatio mode)
{
    switch (mode) {
    case ar_Box:
        return picture.scaled(area, Qt::KeepAspectRatio);
    case ar_PanScan:
        return picture.scaled(area, Qt::KeepAspectRatioByExpanding);
    case ar_NoResize:
        return picture;
    case ar_Stretch:
        break;
    }
    return area;
}

QImage DisplayPicture(const QImage &frame, QSize area, TAspectRatio mode)
{
    if (area.isEmpty() || frame.isNull())
        return {};
    const QSize size = ShownPictureSize(frame.size(), area, mode);
    if (size.isEmpty() || size.width() >= frame.width() || size.height() >= frame.height()
        || frame.format() != QImage::Format_RGB32)
        return frame;
    QImage picture = TakeFramePicture(size);
    if (picture.isNull())
        return frame;  // no memory for the small one: the view scales the frame itself
    // Each target pixel takes the source pixel under its centre.
    std::vector<int> column(size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        column[size_t(x)] = int((2 * qint64(x) + 1) * frame.width() / (2 * qint64(size.width())));
    for (int y = 0; y < size.height(); ++y) {
        const int sourceRow = int((2 * qint64(y) + 1) * frame.height() / (2 * qint64(size.height())));
        const auto *from = reinterpret_cast<const quint32 *>(frame.constScanLine(sourceRow));
        auto *to = reinterpret_cast<quint32 *>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            to[x] = from[column[size_t(x)]];
    }
    return picture;
}
