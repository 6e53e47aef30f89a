#include "scene.h"

#include <turbojpeg.h>

#include <algorithm>

namespace {

constexpr int JpegQuality = 80;

unsigned char Clamp(int value)
{
    return static_cast<unsigned char>(std::clamp(value, 0, 255));
}

} // namespace

TScene::TScene(QSize size, TSceneLook look)
    : m_size(size), m_look(look), m_pixels(size_t(size.width()) * size_t(size.height()) * 4),
      m_encoder(tjInitCompress())
{
}

TScene::~TScene()
{
    if (m_encoder)
        tjDestroy(m_encoder);
}

void TScene::Advance()
{
    if (!m_motion && m_look == TSceneLook::Plain)
        return;
    ++m_step;
    m_dirty = true;
}

void TScene::RenderBackdrop()
{
    const int w = m_size.width();
    const int h = m_size.height();
    m_backdrop.resize(m_pixels.size());
    if (m_look == TSceneLook::Plain) {
        // Eight colour bars over a vertical brightness ramp.
        static const unsigned char bars[8][3] = {{200, 200, 200}, {0, 200, 200}, {200, 200, 0}, {0, 200, 0},
                                                 {200, 0, 200},   {0, 0, 200},   {200, 0, 0},   {40, 40, 40}};
        for (int y = 0; y < h; ++y) {
            unsigned char *line = m_backdrop.data() + size_t(y) * size_t(w) * 4;
            const int shade = 55 + (y * 200) / std::max(1, h);
            for (int x = 0; x < w; ++x) {
                const unsigned char *bar = bars[(x * 8) / std::max(1, w)];
                for (int c = 0; c < 3; ++c)
                    line[x * 4 + c] = static_cast<unsigned char>((bar[c] * shade) / 255);
                line[x * 4 + 3] = 255;
            }
        }
        return;
    }
    // Camera look: soft gradients, a coarse texture of 4 x 4 patches and a fine per-pixel one, like the
    // foliage, brickwork and gravel of an outdoor view.
    quint32 state = 12345u;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    std::vector<int> patches(size_t(w / 4 + 1) * size_t(h / 4 + 1));
    for (int &value : patches)
        value = int(next() % 41) - 20;
    for (int y = 0; y < h; ++y) {
        unsigned char *line = m_backdrop.data() + size_t(y) * size_t(w) * 4;
        for (int x = 0; x < w; ++x) {
            const int level = patches[size_t(y / 4) * size_t(w / 4 + 1) + size_t(x / 4)] + int(next() % 13) - 6;
            line[x * 4 + 0] = Clamp(60 + (x - y) * 60 / std::max(1, w + h) + level);
            line[x * 4 + 1] = Clamp(40 + y * 140 / std::max(1, h) + level);
            line[x * 4 + 2] = Clamp(50 + x * 120 / std::max(1, w) + level);
            line[x * 4 + 3] = 255;
        }
    }
}

// Sensor noise: up to 2 levels either way on every channel of every pixel.
void TScene::AddNoise()
{
    quint32 state = m_noiseState;
    const size_t n = m_pixels.size();
    for (size_t i = 0; i < n; i += 4) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        for (size_t c = 0; c < 3; ++c)
            m_pixels[i + c] = Clamp(int(m_pixels[i + c]) + int((state >> (8 * c)) % 5) - 2);
    }
    m_noiseState = state;
}

void TScene::Render()
{
    if (m_backdrop.empty())
        RenderBackdrop();
    std::copy(m_backdrop.begin(), m_backdrop.end(), m_pixels.begin());
    if (m_look == TSceneLook::Camera)
        AddNoise();
    if (!m_motion)
        return;
    const int w = m_size.width();
    const int h = m_size.height();
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

bool TScene::Encode(QByteArray &out)
{
    unsigned char *jpeg = nullptr;
    unsigned long jpegSize = 0;
    const bool ok = tjCompress2(m_encoder, m_pixels.data(), m_size.width(), 0, m_size.height(), TJPF_BGRX, &jpeg,
                                &jpegSize, TJSAMP_420, JpegQuality, 0) == 0;
    if (ok)
        out = QByteArray(reinterpret_cast<const char *>(jpeg), qsizetype(jpegSize));
    tjFree(jpeg);
    return ok;
}

const QByteArray &TScene::Jpeg()
{
    if (!m_dirty || !m_encoder)
        return m_jpeg;
    m_dirty = false;
    if (m_look == TSceneLook::Camera && !m_motion) {
        if (m_cycle.empty()) {
            for (int i = 0; i < NoiseCycle; ++i) {
                Render();
                QByteArray frame;
                if (Encode(frame))
                    m_cycle.push_back(frame);
            }
        }
        if (!m_cycle.empty())
            m_jpeg = m_cycle[size_t(m_step) % m_cycle.size()];
        return m_jpeg;
    }
    Render();
    Encode(m_jpeg);
    return m_jpeg;
}
