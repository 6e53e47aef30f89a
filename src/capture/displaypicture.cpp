#include "capture/displaypicture.h"

#include "capture/framebuffers.h"

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
    // Each target pixel takes the source pixel under its centre, column (2x + 1) * W / (2w), stepped along
    // the row without a division or a column table (nothing is allocated per frame).
    const qint64 denominator = 2 * qint64(size.width());
    const int wholeStep = int(2 * qint64(frame.width()) / denominator);
    const qint64 partStep = 2 * qint64(frame.width()) % denominator;
    const int firstColumn = int(qint64(frame.width()) / denominator);
    const qint64 firstPart = qint64(frame.width()) % denominator;
    for (int y = 0; y < size.height(); ++y) {
        const int sourceRow = int((2 * qint64(y) + 1) * frame.height() / (2 * qint64(size.height())));
        const auto *from = reinterpret_cast<const quint32 *>(frame.constScanLine(sourceRow));
        auto *to = reinterpret_cast<quint32 *>(picture.scanLine(y));
        int column = firstColumn;
        qint64 part = firstPart;
        for (int x = 0; x < size.width(); ++x) {
            to[x] = from[column];
            column += wholeStep;
            part += partStep;
            if (part >= denominator) {
                ++column;
                part -= denominator;
            }
        }
    }
    return picture;
}
