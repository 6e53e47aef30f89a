// The image filters of the motion analysis: grey scale and noise reduction.
#include "capture/motionanalysis.h"

#include <cstring>

int MotionPixelBytes(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: return 4;
    case QImage::Format_BGR888: return 3;
    default: return 0;
    }
}

void MotionGrey(const QImage &source, QImage &target)
{
    const bool wide = MotionPixelBytes(source.format()) == 4;
    for (int y = 0; y < source.height(); ++y) {
        const uint8_t *s = source.constScanLine(y);
        uint8_t *t = target.scanLine(y);
        if (wide) {
            // Whole 32-bit pixels (blue in the low byte), which the compiler turns into vector code.
            for (int x = 0; x < source.width(); ++x) {
                uint32_t pixel;
                std::memcpy(&pixel, s + 4 * x, 4);
                const uint32_t grey = ((pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF)) / 3;
                pixel = (pixel & 0xFF000000u) | grey * 0x010101u;
                std::memcpy(t + 4 * x, &pixel, 4);
            }
        } else {
            for (int x = 0; x < source.width(); ++x) {
                const uint8_t grey = uint8_t((unsigned(s[3 * x]) + s[3 * x + 1] + s[3 * x + 2]) / 3);
                t[3 * x] = t[3 * x + 1] = t[3 * x + 2] = grey;
            }
        }
    }
}

void MotionSmooth(const QImage &source, QImage &target)
{
    const int bpp = MotionPixelBytes(source.format());
    const int width = source.width(), height = source.height();
    if (width < 3 || height < 3)
        return;
    // Every byte of an inner pixel, the fourth byte of 32-bit pixels too (it is never compared).
    const int first = bpp, end = (width - 1) * bpp;
    for (int y = 1; y + 1 < height; ++y) {
        const uint8_t *above = source.constScanLine(y - 1);
        const uint8_t *row = source.constScanLine(y);
        const uint8_t *below = source.constScanLine(y + 1);
        uint8_t *t = target.scanLine(y);
        for (int i = first; i < end; ++i) {
            const unsigned sum = unsigned(above[i - bpp]) + above[i] + above[i + bpp] + row[i - bpp] + row[i] +
                                 row[i + bpp] + below[i - bpp] + below[i] + below[i + bpp];
            t[i] = uint8_t(sum / 9);
        }
    }
}
