#pragma once
// The simulated camera's picture, in one of two looks:
//  - plain: a fixed backdrop of colour bars; a still scene encodes to the very same JPEG bytes every time;
//  - camera: what a real camera sends, a textured backdrop with fresh sensor noise in every frame (100 to
//    200 KB per 1280 x 720 JPEG). The noisy frames of a still scene come from a short cycle encoded once.
// While motion is on, a bright square moves across either backdrop.
#include <QByteArray>
#include <QSize>

#include <vector>

enum class TSceneLook
{
    Plain,
    Camera
};

class TScene
{
public:
    explicit TScene(QSize size, TSceneLook look = TSceneLook::Plain);
    ~TScene();
    TScene(const TScene &) = delete;
    TScene &operator=(const TScene &) = delete;

    // A scene stopped in mid-motion keeps its last picture.
    void SetMotion(bool on) { m_motion = on; }
    bool Motion() const { return m_motion; }
    // Moves the scene on by one frame (nothing changes in a still plain scene).
    void Advance();
    // The current picture as a JPEG (encoded once per change).
    const QByteArray &Jpeg();

    // Distinct noisy frames a still camera scene cycles through.
    static constexpr int NoiseCycle = 12;

private:
    void Render();
    void RenderBackdrop();
    void AddNoise();
    bool Encode(QByteArray &out);

    QSize m_size;
    TSceneLook m_look;
    bool m_motion = false;
    int m_step = 0;
    bool m_dirty = true;
    std::vector<unsigned char> m_backdrop;  // BGRX, rendered once
    std::vector<unsigned char> m_pixels;    // BGRX
    QByteArray m_jpeg;
    std::vector<QByteArray> m_cycle;        // camera look, still: the encoded noisy frames
    quint32 m_noiseState = 0x9E3779B9u;
    void *m_encoder = nullptr;
};
