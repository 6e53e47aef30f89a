#include "scene.h"

#include <turbojpeg.h>

#include <algorithm>

TScene::TScene(QSize size)
    : m_size(size), m_pixels(size_t(size.width()) * size_t(size.height()) * 4), m_encoder(tjInitCompress())
{
}

TScene::~TScene()
{
    if (m_encoder)
        tjDestroy(m_encoder);
}

void TScene::Advance()
{
    if (!m_motion)
        return;
    ++m_step;
    m_dirty = true;
}

void TScene::Render()
{
    const int w = m_size.width();
    const int h = m_size.height();
    // Backdrop: eight colour bars over a vertical brightness ramp.
    static const unsigned char bars[8][3] = {{200, 200, 200}, {0, 200, 200}, {200, 200, 0}, {0, 200, 0},
                                             {200, 0, 200},   {0, 0, 200},   {200, 0, 0},   {40, 40, 40}};
    for (int y = 0; y < h; ++y) {
        unsigned char *line = m_pixels.data() + size_t(y) * size_t(w) * 4;
        const int shade = 55 + (y * 200) / std::max(1, h);
        for (int x = 0; x < w; ++x) {
            const unsigned char *bar = bars[(x * 8) / std::max(1, w)];
            for (int c = 0; c < 3; ++c)
                line[x * 4 + c] = static_cast<unsigned char>((bar[c] * shade) / 255);
            line[x * 4 + 3] = 255;
        }
    }
    if (!m_motion)
        return;
    // A white square bouncing between the edges.
    const int side = std::max(8, h / 5);
    const int spanX = std::max(1, w - side);
    const int spanY = std::max(1, h - side);
    const int px = (m_step * 7) % (2 * spanX);
    const int py = (m_step * 5) % (2 * spanY);
    const int x0 = px < spanX ? px : 2 * spanX - px;
    const int y0 = py < spanY ? py : 2 * spanY - py;
    for (int y = y0; y < std::min(h, y0 + side); ++y) {
        unsigned char *line = m_pixels.data() + size_t(y) * size_t(w) * 4;
        std::fill(line + size_t(x0) * 4, line + size_t(std::min(w, x0 + side)) * 4, 255);
    }
}

const QByteArray &TScene::Jpeg()
{
    if (!m_dirty || !m_encoder)
        return m_jpeg;
    m_dirty = false;
    Render();
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    if (tjCompress2(m_encoder, m_pixels.data(), m_size.width(), 0, m_size.height(), TJPF_BGRX, &out, &outSize,
                    TJSAMP_420, 80, 0) == 0)
        m_jpeg = QByteArray(reinterpret_cast<const char *>(out), qsizetype(outSize));
    tjFree(out);
    return m_jpeg;
}
