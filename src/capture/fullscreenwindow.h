#pragma once
// The full-screen view of a capture component's display 0: a separate top-level window that shows the same
// picture; Escape leaves it.
#include <QWidget>

#include <functional>

class TFullScreenWindow : public QWidget
{
    Q_OBJECT
public:
    // paint draws the picture into the given rectangle; closed is called once the window has been left.
    TFullScreenWindow(std::function<void(QPainter &, const QRect &)> paint, std::function<void()> closed);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::function<void(QPainter &, const QRect &)> m_paint;
    std::function<void()> m_closed;
};
