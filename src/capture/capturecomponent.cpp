#include "capture/capturecomponent.h"

#include "capture/displaypicture.h"
#include "capture/fullscreenwindow.h"
#include "capture/jpegencoder.h"
#include "capture/recordingsink.h"
#include "capture/soundplayer.h"

#include <QMouseEvent>
#include <QMutexLocker>
#include <QPainter>
#include <QPointer>
#include <QThread>

#include <cstring>

TCaptureComponent::TCaptureComponent(QWidget *parent)
    : QWidget(parent), m_detector(std::make_unique<TMotionDetector>()),
      m_shared(std::make_shared<TCaptureShared>()), m_color(palette().color(QPalette::Window))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_overlays.Texts.resize(1);
    m_shared->Detector = m_detector.get();
    // These run on the capture thread: they only post work to this object's (the UI) thread.
    m_shared->NotifyFrames = [this] {
        QMetaObject::invokeMethod(this, &TCaptureComponent::TakeFrames, Qt::QueuedConnection);
    };
    m_shared->NotifyEnded = [this](quint64 session, TSourceEnd end, QString realm, QString server) {
        QMetaObject::invokeMethod(
            this, [this, session, end, realm, server] { SourceEnded(session, end, realm, server); },
            Qt::QueuedConnection);
    };
    m_shared->NotifyLog = [this](QString text) {
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                if (OnLog)
                    OnLog(this, text);
            },
            Qt::QueuedConnection);
    };
    m_detector->OnLog = m_shared->NotifyLog;
    m_recording = std::make_shared<TRecordingFrameSink>();
    m_recording->OnWriteError = [log = m_shared->NotifyLog, logged = m_recordingFailureLogged](const QString &error) {
        if (!logged->exchange(true))
            log(QStringLiteral("Recording stopped writing: ") + error);
    };
    AddFrameSink(m_recording);
    // Device changes are watched only for an owner that asked for them (handlers are set after creation).
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (OnDeviceArrivalOrRemoval)
                WatchDevices();
        },
        Qt::QueuedConnection);
}

TCaptureComponent::~TCaptureComponent()
{
    // Set the flag, wake the thread, join it. The capture thread never waits for this thread, so the join
    // ends as soon as the frame in hand (if any) is through; the engine is deleted on its own thread.
    m_shared->Stopping = true;
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
        delete m_thread;
    }
    // The capture thread is gone: the recording can be finished here.
    m_recording->Stop();
    m_fullScreen.reset();
}

void TCaptureComponent::EnsureEngine()
{
    if (m_thread)
        return;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("capture"));
    m_engine = new TCaptureEngine(m_shared);
    m_engine->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
    m_thread->start();
}

// ---------------------------------------------------------------------------------------------- source

void TCaptureComponent::SetVideoSource(TVideoSource value)
{
    if (value == m_settings.Source)
        return;
    m_settings.Source = value;
    SourceSettingsChanged();
}

void TCaptureComponent::SetIPCameraURL(const QString &value)
{
    if (value == m_settings.IPCameraURL)
        return;
    m_settings.IPCameraURL = value;
    SourceSettingsChanged();
}

int &TCaptureComponent::IPCameraSettingField(TIPCameraSetting setting)
{
    switch (setting) {
    case ips_ConnectionTimeout: return m_settings.ConnectionTimeoutMs;
    case ips_ReceiveTimeout: return m_settings.ReceiveTimeoutMs;
    case ips_LossGracePeriod: break;
    }
    return m_settings.LossGraceMs;
}

void TCaptureComponent::SetIPCameraSetting(TIPCameraSetting setting, int value)
{
    int &target = IPCameraSettingField(setting);
    if (target == value)
        return;
    target = value;
    SourceSettingsChanged();
}

int TCaptureComponent::IPCameraSetting(TIPCameraSetting setting) const
{
    return const_cast<TCaptureComponent *>(this)->IPCameraSettingField(setting);
}

void TCaptureComponent::SetAuthentication(TAuthenticationType type, const QString &userName, const QString &password)
{
    if (type != at_IPCamera || (userName == m_settings.UserName && password == m_settings.Password))
        return;
    m_settings.UserName = userName;
    m_settings.Password = password;
    SourceSettingsChanged();
}

// --------------------------------------------------------------------------------------------- running

void TCaptureComponent::StartPreview()
{
    if (m_state != cs_Down && !m_sourceChanged)
        return;
    if (m_settings.Source == vs_IPCamera && m_settings.IPCameraURL.trimmed().isEmpty()) {
        StopPreview();  // nothing to open
        return;
    }
    EnsureEngine();
    CloseRecording();  // a reopened source begins a new recording, if any
    m_recording->ResetRate();
    m_sourceChanged = false;
    BeginNewSession();
    m_state = cs_Preview;
    m_hasPicture = false;
    m_shown = QImage();
    QMetaObject::invokeMethod(
        m_engine, [engine = m_engine, session = m_session, settings = m_settings] { engine->Start(session, settings); },
        Qt::QueuedConnection);
    Repaint();
}

void TCaptureComponent::StopPreview()
{
    BeginNewSession();
    if (m_engine)
        QMetaObject::invokeMethod(m_engine, [engine = m_engine] { engine->Stop(); }, Qt::QueuedConnection);
    GoDown();
}

void TCaptureComponent::Stop()
{
    StopPreview();
    if (m_player)
        m_player->Stop();
}

void TCaptureComponent::BeginNewSession()
{
    QMutexLocker lock(&m_shared->Mutex);
    m_session = ++m_shared->Session;
    m_shared->HasNewFrame = false;
    m_shared->Motion.clear();
    m_shared->Pushed.clear();  // the engine would skip them anyway
}

void TCaptureComponent::GoDown()
{
    CloseRecording();
    m_state = cs_Down;
    m_hasPicture = false;
    m_shown = QImage();
    Repaint();
}

void TCaptureComponent::SourceEnded(quint64 session, TSourceEnd end, const QString &realm, const QString &server)
{
    if (session != m_session || m_state == cs_Down)
        return;
    BeginNewSession();
    GoDown();
    if (end == TSourceEnd::AuthenticationNeeded) {
        if (OnAuthenticationNeeded) {
            QString userName = m_settings.UserName;
            QString password = m_settings.Password;
            OnAuthenticationNeeded(this, at_IPCamera, realm, server, userName, password);
        }
    } else if (end == TSourceEnd::Lost) {
        if (OnDeviceLost)
            OnDeviceLost(this);
    }
}

bool TCaptureComponent::PushFrame(const QImage &picture, qint64 frameTime)
{
    return !picture.isNull() && Push({}, picture, frameTime);
}

bool TCaptureComponent::PushJPEG(const QByteArray &jpeg, qint64 frameTime)
{
    // Empty bytes would read as a pushed picture; they are a corrupt frame, dropped here.
    return !jpeg.isEmpty() && Push(jpeg, {}, frameTime);
}

bool TCaptureComponent::Push(QByteArray jpeg, QImage picture, qint64 frameTime)
{
    if (m_state == cs_Down || m_settings.Source != vs_JPEGsOrBitmaps || !m_engine)
        return false;
    {
        QMutexLocker lock(&m_shared->Mutex);
        if (int(m_shared->Pushed.size()) >= TCaptureShared::MaxPendingPushes)
            return false;
        m_shared->Pushed.push_back({m_session, std::move(jpeg), std::move(picture), frameTime});
        if (m_shared->PushPosted)
            return true;
        m_shared->PushPosted = true;
    }
    QMetaObject::invokeMethod(m_engine, [engine = m_engine] { engine->ProcessPushed(); }, Qt::QueuedConnection);
    return true;
}

TVideoFrame TCaptureComponent::LatestFrame() const
{
    QMutexLocker lock(&m_shared->Mutex);
    return m_shared->Latest;
}

void TCaptureComponent::AddFrameSink(const std::shared_ptr<TFrameSink> &sink)
{
    QMutexLocker lock(&m_shared->Mutex);
    m_shared->Sinks.push_back(sink);
    ++m_shared->SinksVersion;
}

void TCaptureComponent::RemoveFrameSink(const std::shared_ptr<TFrameSink> &sink)
{
    QMutexLocker lock(&m_shared->Mutex);
    std::erase(m_shared->Sinks, sink);
    ++m_shared->SinksVersion;
}

void TCaptureComponent::SetMotionDetector_Enabled(bool value)
{
    m_detector->SetMotionDetector_Enabled(value);
    m_shared->MotionEnabled = value;
}

// ---------------------------------------------------------------------------------- frames on the UI

void TCaptureComponent::TakeFrames()
{
    std::deque<TMotionEvent> motion;
    TVideoFrame frame;
    QImage shown;
    bool hasFrame = false;
    {
        QMutexLocker lock(&m_shared->Mutex);
        motion.swap(m_shared->Motion);
        hasFrame = m_shared->HasNewFrame;
        if (hasFrame) {
            frame = m_shared->Latest;
            shown = std::move(m_shared->LatestShown);
        }
        m_shared->HasNewFrame = false;
        m_shared->NotifyPosted = false;
    }
    const quint64 session = m_session;
    QPointer<TCaptureComponent> self(this);
    m_inMotionEvents = true;
    for (const TMotionEvent &event : motion) {
        RaiseMotionEvent(event);
        if (!self)
            return;  // a handler freed the component
        if (m_session != session)
            break;   // a handler stopped or restarted the picture
    }
    m_inMotionEvents = false;
    if (hasFrame && m_session == session && m_state != cs_Down)
        ShowFrame(frame, shown);
}

void TCaptureComponent::RaiseMotionEvent(const TMotionEvent &event)
{
    bool captureFrame = false;
    if (event.Detected) {
        if (OnMotionDetected)
            OnMotionDetected(this, event.GlobalMotionRatio, event.MaxMotionCellX, event.MaxMotionCellY, nullptr,
                             event.FrameNumber, event.FrameTime, 0, captureFrame);
    } else if (OnMotionNotDetected) {
        OnMotionNotDetected(this, nullptr, event.FrameNumber, event.FrameTime, 0, captureFrame);
    }
    if (captureFrame && CaptureFrameRequested)
        CaptureFrameRequested(LatestFrame());
}

void TCaptureComponent::ShowFrame(const TVideoFrame &frame, const QImage &shown)
{
    // The capture thread made no picture while the view was not on screen: none is kept until it is
    // painted again (ShownPicture), so that a hidden view holds no frame of its own.
    m_shown = shown;  // m_drawn is ours alone again from here
    m_shownFrameSize = frame.Image.size();
    if (OnFrameBitmap) {
        const QImage &picture = shown.isNull() ? frame.Image : shown;
        QImage canvas;  // outlives the painter, whatever the handler does
        QPainter painter;
        TFrameBitmapInfo info;
        info.BitmapWidth = picture.width();
        info.BitmapHeight = picture.height();
        info.m_open = [&]() -> QPainter * {
            if (!painter.isActive()) {
                canvas = std::move(m_drawn);
                if (canvas.size() != picture.size() || !canvas.isDetached())
                    canvas = QImage(picture.size(), QImage::Format_RGB32);
                std::memcpy(canvas.bits(), picture.constBits(), size_t(picture.sizeInBytes()));
                painter.begin(&canvas);
            }
            return &painter;
        };
        const quint64 session = m_session;
        QPointer<TCaptureComponent> self(this);
        OnFrameBitmap(this, TFrameInfo{frame.Number, frame.Time}, info);
        if (painter.isActive())
            painter.end();
        if (!self || m_session != session)
            return;  // the handler freed the component or stopped the picture
        if (!canvas.isNull()) {
            m_drawn = canvas;
            m_shown = canvas;
        } else {
            m_drawn = QImage();  // nothing drawn on this frame: no copy is kept for the next one either
        }
    }
    m_hasPicture = true;
    Repaint();
}

const QImage &TCaptureComponent::ShownPicture()
{
    if (m_shown.isNull() && m_hasPicture) {
        m_shown = LatestFrame().Image;
        m_shownFrameSize = m_shown.size();
    }
    return m_shown;
}

void TCaptureComponent::UpdateViewArea()
{
    QSize area;
    if (m_fullScreen && m_fullScreen->isVisible())
        area = m_fullScreen->size() * m_fullScreen->devicePixelRatioF();
    else if (isVisible() && m_displayVisible && m_displayEmbedded)
        area = ContentRect().size() * devicePixelRatioF();
    QMutexLocker lock(&m_shared->Mutex);
    m_shared->ViewArea = area;
    m_shared->ViewAspect = m_aspectRatio;
}

// ------------------------------------------------------------------------------------------- display

void TCaptureComponent::SetDisplayFullScreen(int, bool value)
{
    if (!value) {
        if (m_fullScreen)
            m_fullScreen->close();
        return;
    }
    if (!m_fullScreen) {
        m_fullScreen = std::make_unique<TFullScreenWindow>(
            [this](QPainter &painter, const QRect &area) {
                UpdateViewArea();
                if (m_hasPicture && !ShownPicture().isNull())
                    PaintPicture(painter, area);
            },
            [this] {
                UpdateViewArea();
                update();
            });
        m_fullScreen->setWindowTitle(windowTitle());
    }
    m_fullScreen->showFullScreen();
    m_fullScreen->raise();
    m_fullScreen->activateWindow();
    m_fullScreen->setFocus();
}

bool TCaptureComponent::GetDisplayFullScreen(int) const
{
    return m_fullScreen && m_fullScreen->isVisible();
}

void TCaptureComponent::Repaint()
{
    update();
    if (m_fullScreen && m_fullScreen->isVisible())
        m_fullScreen->update();
}

QRect TCaptureComponent::ContentRect() const
{
    int inset = m_borderWidth;
    if (m_bevelOuter != bvNone)
        ++inset;
    if (m_borderStyle == bsSingle)
        ++inset;
    return rect().adjusted(inset, inset, -inset, -inset);
}

void TCaptureComponent::PaintPicture(QPainter &painter, const QRect &area)
{
    const QImage &picture = ShownPicture();
    // Placed by the frame's size: the small picture made for this view fills the place without scaling.
    QRect target(QPoint(0, 0), ShownPictureSize(m_shownFrameSize, area.size(), m_aspectRatio));
    target.moveCenter(area.center());
    painter.save();
    painter.setClipRect(area);
    if (target != area)
        painter.fillRect(area, Qt::black);
    painter.drawImage(target, picture);
    painter.restore();
    m_overlays.Draw(painter, target.intersected(area), TOverlayLayer::LiveView);
}

void TCaptureComponent::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    UpdateViewArea();
}

void TCaptureComponent::paintEvent(QPaintEvent *)
{
    UpdateViewArea();
    QPainter painter(this);
    const QRect content = ContentRect();
    if (m_hasPicture && m_displayVisible && m_displayEmbedded && !ShownPicture().isNull() && content.isValid()) {
        // The picture (with black bars where it leaves room) covers the content: only the edge around it is
        // filled, which spares a second write of every pixel of the view for every frame.
        const QRect all = rect();
        painter.fillRect(QRect(all.left(), all.top(), all.width(), content.top() - all.top()), m_color);
        painter.fillRect(QRect(all.left(), content.bottom() + 1, all.width(), all.bottom() - content.bottom()), m_color);
        painter.fillRect(QRect(all.left(), content.top(), content.left() - all.left(), content.height()), m_color);
        painter.fillRect(QRect(content.right() + 1, content.top(), all.right() - content.right(), content.height()),
                         m_color);
        PaintPicture(painter, content);
    } else {
        painter.fillRect(rect(), m_color);
        if (m_showCaption && !m_caption.isEmpty()) {
            painter.setPen(m_fontColor);
            painter.setFont(font());
            painter.drawText(content, Qt::AlignCenter, m_caption);
        }
        if (!m_hasPicture)
            m_overlays.Draw(painter, content, TOverlayLayer::Down);
    }

    QRect edge = rect().adjusted(0, 0, -1, -1);
    if (m_bevelOuter == bvRaised || m_bevelOuter == bvLowered) {
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const bool raised = m_bevelOuter == bvRaised;
        painter.setPen(raised ? light : dark);
        painter.drawLine(edge.topLeft(), edge.topRight());
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
        painter.setPen(raised ? dark : light);
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
        painter.drawLine(edge.topRight(), edge.bottomRight());
    }
    if (m_bevelOuter != bvNone)
        edge.adjust(1, 1, -1, -1);
    if (m_borderStyle == bsSingle) {
        painter.setPen(Qt::black);
        painter.drawRect(edge);
    }
}

void TCaptureComponent::mousePressEvent(QMouseEvent *event)
{
    if (OnMouseDown)
        OnMouseDown(this, 0, event->button(), event->modifiers(), event->position().toPoint().x(),
                    event->position().toPoint().y());
}

void TCaptureComponent::mouseReleaseEvent(QMouseEvent *event)
{
    if (OnMouseUp)
        OnMouseUp(this, 0, event->button(), event->modifiers(), event->position().toPoint().x(),
                  event->position().toPoint().y());
}

// ------------------------------------------------------------------------------------------- overlays

TTextOverlay *TCaptureComponent::TextSlot(int index)
{
    if (index < 0 || index >= MaxOverlays)
        return nullptr;
    if (int(m_overlays.Texts.size()) <= index)
        m_overlays.Texts.resize(size_t(index) + 1);
    return &m_overlays.Texts[size_t(index)];
}

TImageOverlay *TCaptureComponent::ImageSlot(int index)
{
    if (index < 0 || index >= MaxOverlays)
        return nullptr;
    if (int(m_overlays.Images.size()) <= index)
        m_overlays.Images.resize(size_t(index) + 1);
    return &m_overlays.Images[size_t(index)];
}

void TCaptureComponent::SetTextOverlay_Selector(int index)
{
    if (TextSlot(index))
        m_textSelector = index;
}

void TCaptureComponent::OverlaysChanged()
{
    Repaint();
    // Published once control is back in the event loop, so that changes made through the reference of
    // TextOverlay_Font() are included.
    if (m_overlaysPublishPending)
        return;
    m_overlaysPublishPending = true;
    QMetaObject::invokeMethod(this, [this] { PublishOverlays(); }, Qt::QueuedConnection);
}

void TCaptureComponent::PublishOverlays()
{
    m_overlaysPublishPending = false;
    std::shared_ptr<const TOverlaySet> frameOverlays;
    if (m_overlays.HasEnabled(TOverlayLayer::Frames))
        frameOverlays = std::make_shared<const TOverlaySet>(m_overlays);
    QMutexLocker lock(&m_shared->Mutex);
    m_shared->FrameOverlays = std::move(frameOverlays);
}

TOverlayFont &TCaptureComponent::TextOverlay_Font()
{
    OverlaysChanged();
    return SelectedText().Font;
}

void TCaptureComponent::SetTextOverlay_TargetDisplay(int value)
{
    if (value >= TargetDisplay_Min && value <= TargetDisplay_Max)
        SetText(&TTextOverlay::TargetDisplay, value);
}

bool TCaptureComponent::SetImageOverlayFromImageFile2(int index, const QString &fileName)
{
    const QImage picture(fileName);
    if (picture.isNull() || !ImageSlot(index))
        return false;
    SetImage(index, &TImageOverlay::Picture, picture);
    return true;
}

void TCaptureComponent::SetImageOverlay_TargetDisplay(int index, int value)
{
    if (value >= TargetDisplay_Min && value <= TargetDisplay_Max)
        SetImage(index, &TImageOverlay::TargetDisplay, value);
}
