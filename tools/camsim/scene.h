#pragma once
// The simulated camera's picture: a fixed backdrop and, while motion is on, a bright square that moves
// across it. A still scene encodes to the very same JPEG bytes every time.
#include <QByteArray>
#include <QSize>

#include <vector>

class TScene
{
public:
    explicit TScene(QSize size);
    ~TScene();
    TScene(const TScene &) = delete;
    TScene &operator=(const TScene &) = delete;

    void SetMotion(bool on) { m_motion = on; }
    bool Motion() const { return m_motion; }
    // Moves the scene on by one frame (nothing changes while motion is off).
    void Advance();
    // The current picture as a JPEG (encoded once per change).
    const QByteArray &Jpeg();

private:
    void Render();

    QSize m_size;
    bool m_motion = false;
    int m_step = 0;
    bool m_dirty = true;
    std::vector<unsigned char> m_pixels;  // BGRX
    QByteArray m_jpeg;
    void *m_encoder = nullptr;
};
