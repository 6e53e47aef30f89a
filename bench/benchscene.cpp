#include "benchscene.h"

#include <QPainter>
#include <QRandomGenerator>

namespace {

constexpr int Width = BenchSceneSize.width();
constexpr int Height = BenchSceneSize.height();

} // namespace

std::vector<QImage> BenchScene(int count)
{
    std::vector<QImage> frames;
    QRandomGenerator random(7);
    // Detail of the scene: a fixed texture of 4 x 4 patches.
    std::vector<int> texture(size_t(Width / 4) * (Height / 4));
    for (int &value : texture)
        value = int(random.bounded(61)) - 30;
    for (int n = 0; n < count; ++n) {
        QImage image(Width, Height, QImage::Format_RGB32);
        for (int y = 0; y < Height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < Width; ++x) {
                const int level = texture[size_t(y / 4) * (Width / 4) + size_t(x / 4)] + int(random.bounded(9)) - 4;
                line[x] = qRgb(qBound(0, x / 6 + level, 255), qBound(0, y / 3 + level, 255),
                               qBound(0, 128 + (x - y) / 12 + level, 255));
            }
        }
        QPainter painter(&image);
        painter.fillRect(200, 400, 300, 200, QColor(90, 90, 80));
        painter.setBrush(QColor(200, 60, 40));
        painter.drawEllipse(100 + n * 30, 250, 120, 160); // someone walking through
        frames.push_back(image);
    }
    return frames;
}
