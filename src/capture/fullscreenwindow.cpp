#include "capture/fullscreenwindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

TFullScreenWindow::TFullScreenWindow(std::function<void(QPainter &, const QRect &)> paint,
                                     std::function<void()> closed)
    : QWidget(nullptr, Qt::Window), m_paint(std::move(paint)), m_closed(std::move(closed))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void TFullScreenWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_paint)
        m_paint(painter, rect());
}

void TFullScreenWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFullScreenWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closed)
        m_closed();
}
