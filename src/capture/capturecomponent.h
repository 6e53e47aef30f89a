#pragma once
// TCaptureComponent: the panel that shows one camera's live picture, runs its motion detector, draws the
// overlays and raises the component events; TAdvancedCaptureComponent adds the settable drag properties.
//
// Threads. The component is used from the UI thread only. Each instance owns one capture thread (started at
// the first start) that reads the source, decodes, analyses motion and feeds the frame sinks; the UI thread
// only paints and raises the events. Every event below is raised on the UI thread.
//
// States. StartPreview returns at once (the source is opened in the background) and the component reports
// cs_Preview from then on; a source that cannot be opened, is refused or is lost brings it back to cs_Down.
// The -3 overlays show while the control is empty: down, or started and waiting for its first picture.
#include "capture/captureengine.h"
#include "capture/captureenums.h"
#include "capture/frame.h"
#include "capture/motiondetector.h"
#include "capture/overlays.h"

#include <QColor>
#include <QMargins>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <atomic>
#include <memory>

class QThread;
class TFullScreenWindow;
class TJpegEncoder;
class TMediaDeviceWatcher;
class TRecordingFrameSink;
class TSoundPlayer;
class TWebcamSource;

// The frame about to be shown, for OnFrameBitmap.
struct TFrameInfo
{
    quint32 FrameNumber = 0;
    qint64 FrameTime = 0;
};

// Drawing on the frame about to be shown. BitmapDC() opens a painter on a copy of the frame that is then
// shown instead (never recorded or captured); a handler that draws nothing should not call it, which keeps
// the frame uncopied.
struct TFrameBitmapInfo
{
    int BitmapWidth = 0;
    int BitmapHeight = 0;
    QPainter *BitmapDC() const { return m_open ? m_open() : nullptr; }

private:
    friend class TCaptureComponent;
    std::function<QPainter *()> m_open;
};

class TCaptureComponent : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxOverlays = 256;  // highest overlay index accepted is MaxOverlays - 1

    explicit TCaptureComponent(QWidget *parent = nullptr);
    ~TCaptureComponent() override;

    // --- standard panel properties
    QColor Color() const { return m_color; }
    void SetColor(const QColor &value) { SetAndRepaint(m_color, value); }
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor &value) { SetAndRepaint(m_fontColor, value); }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString &value) { SetAndRepaint(m_caption, value); }
    bool ShowCaption() const { return m_showCaption; }
    void SetShowCaption(bool value) { SetAndRepaint(m_showCaption, value); }
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign value) { m_align = value; }
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut value) { SetAndRepaint(m_bevelOuter, value); }
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value) { SetAndRepaint(m_borderStyle, value); }
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int value) { SetAndRepaint(m_borderWidth, std::max(0, value)); }
    QMargins Margins() const { return m_margins; }  // space kept around the control by its container
    void SetMargins(const QMargins &value) { m_margins = value; }
    bool AlignWithMargins() const { return m_alignWithMargins; }
    void SetAlignWithMargins(bool value) { m_alignWithMargins = value; }
    TDragKind DragKind() const { return m_dragKind; }
    TDragMode DragMode() const { return m_dragMode; }

    // --- display 0 (the only display; the index argument is accepted for any value and ignored)
    void SetDisplayEmbedded(int, bool value) { SetAndRepaint(m_displayEmbedded, value); }
    bool DisplayEmbedded(int) const { return m_displayEmbedded; }
    void SetDisplayAspectRatio(int, TAspectRatio value) { SetAndRepaint(m_aspectRatio, value); }
    TAspectRatio DisplayAspectRatio(int) const { return m_aspectRatio; }
    void SetDisplayVisible(int, bool value) { SetAndRepaint(m_displayVisible, value); }
    bool DisplayVisible(int) const { return m_displayVisible; }
    void SetDisplayFullScreen(int display, bool value);
    bool GetDisplayFullScreen(int display) const;

    // --- source
    TVideoSource VideoSource() const { return m_settings.Source; }
    void SetVideoSource(TVideoSource value);
    QString IPCameraURL() const { return m_settings.IPCameraURL; }
    void SetIPCameraURL(const QString &value);
    // Opening is always asynchronous; the flag is kept for callers that read it back.
    bool OpenURLAsync() const { return m_openURLAsync; }
    void SetOpenURLAsync(bool value) { m_openURLAsync = value; }
    void SetIPCameraSetting(TIPCameraSetting setting, int value);
    int IPCameraSetting(TIPCameraSetting setting) const;
    void SetAuthentication(TAuthenticationType type, const QString &userName, const QString &password);

    // --- running
    // Starts the source; while running with unchanged source settings it does nothing, after a change of
    // them it reopens the source.
    void StartPreview();
    // Stops the picture; a recording running is closed first.
    void StopPreview();
    // Stops whatever runs: the picture (and its recording) and the sound-file player.
    void Stop();
    TCurrentState CurrentState() const { return m_state; }

    // --- frames pushed by code (vs_JPEGsOrBitmaps, while started). A picture in blue-green-red order
    // (Format_RGB32 / BGRX, Format_BGR888; other formats are converted) or JPEG bytes, with a time stamp
    // in 100-ns units. False when the component is not taking pushed frames or already holds
    // TCaptureShared::MaxPendingPushes frames not yet processed (push again later).
    bool PushFrame(const QImage &picture, qint64 frameTime);
    bool PushJPEG(const QByteArray &jpeg, qint64 frameTime);

    // --- frames for recorders and still captures
    // The newest frame (with the -1 overlays, without the -2 ones); null before the first. Any thread.
    TVideoFrame LatestFrame() const;
    // Sinks take every frame on the capture thread (see TFrameSink).
    void AddFrameSink(const std::shared_ptr<TFrameSink> &sink);
    void RemoveFrameSink(const std::shared_ptr<TFrameSink> &sink);

    // --- recording and still frames (automatic file names: StoragePath + AutoFilePrefix + number + ext)
    TRecordingMethod RecordingMethod() const { return m_recordingMethod; }
    void SetRecordingMethod(TRecordingMethod value) { m_recordingMethod = value; }
    int VideoCompressorIndex(const QString &name) const; // negative when no such compressor
    int VideoCompressor() const { return m_videoCompressor; }
    void SetVideoCompressor(int index) { m_videoCompressor = index; }
    TCompressionMode CompressionMode() const { return m_compressionMode; }
    void SetCompressionMode(TCompressionMode value) { m_compressionMode = value; }
    QString StoragePath() const { return m_storagePath; }
    void SetStoragePath(const QString &value) { m_storagePath = value; }
    QString AutoFilePrefix() const { return m_autoFilePrefix; }
    void SetAutoFilePrefix(const QString &value) { m_autoFilePrefix = value; }
    TAutoFileName AutoFileName() const { return m_autoFileName; }
    void SetAutoFileName(TAutoFileName value) { m_autoFileName = value; }
    int JPEGQuality() const { return m_jpegQuality; }
    void SetJPEGQuality(int value) { m_jpegQuality = value; }
    // While previewing: records into a new automatically named AVI file (cs_Recording; a recording already
    // running is closed and a new file begun); raises OnRecordingStarted once control is back in the event
    // loop. The frames are encoded on the capture thread. False when it could not start (not previewing,
    // file not creatable).
    bool StartRecording();
    // Closes the recording file (playable, with its index) before it returns; back to cs_Preview.
    void StopRecording();
    // The last StartRecording failed, or the running recording stopped writing (a full disk). A recording
    // that has written frames without failing ends a failure: its next failure is logged again (OnLog
    // gets one line per failure, however often the recording is tried again meanwhile).
    bool RecordingFailed();
    // Writes the newest frame (without the -2 overlays) as a JPEG (fc_JpegFile) or a bitmap (fc_BmpFile)
    // to an automatically named file (empty name) or to the given file. False when there is no frame yet
    // or the file cannot be written. Both forms encode and write on the calling thread (a 720p frame takes
    // a few milliseconds), so the result is known and the file is on disk when they return.
    bool CaptureFrameTo(TFrameCaptureDest dest, const QString &fileName);
    bool CaptureFrameSyncTo(TFrameCaptureDest dest, const QString &fileName);
    void ShowDialog(TDialog dialog);

    // --- sound-file player
    QString PlayerFileName() const { return m_playerFileName; }
    void SetPlayerFileName(const QString &value) { m_playerFileName = value; }
    int AudioVolume() const { return m_audioVolume; }
    void SetAudioVolume(int value);  // 0..65535, applies at once
    bool OpenPlayer();
    bool RunPlayer();
    void ClosePlayer();
    TPlayerState PlayerState() const { return m_playerState; }

    // --- local capture devices
    QString VideoDevices() const;           // one name a line
    int VideoDeviceIndex(const QString &name) const;
    int VideoDevice() const { return m_videoDevice; }
    void SetVideoDevice(int index);         // a negative or unknown index selects none (reads back -1)
    QString VideoSizes() const;             // one size a line
    int VideoSize() const { return m_videoSize; }
    void SetVideoSize(int index);
    void RefreshDevicesAndCompressorsLists();

    // --- text overlays: the selector chooses the slot the properties act on; selecting a slot that does
    // not exist creates it (and every slot below it). A fresh component has slot 0.
    int TextOverlay_Selector() const { return m_textSelector; }
    void SetTextOverlay_Selector(int index);
    int TextOverlayCount() const { return int(m_overlays.Texts.size()); }
    bool TextOverlay_Enabled() const { return SelectedText().Enabled; }
    void SetTextOverlay_Enabled(bool value) { SetText(&TTextOverlay::Enabled, value); }
    QString TextOverlay_String() const { return SelectedText().String; }
    void SetTextOverlay_String(const QString &value) { SetText(&TTextOverlay::String, value); }
    // The font object of the selected slot; changes made through it show from the next paint.
    TOverlayFont &TextOverlay_Font();
    const TOverlayFont &TextOverlay_Font() const { return SelectedText().Font; }
    TTextOverlayAlign TextOverlay_Align() const { return SelectedText().Align; }
    void SetTextOverlay_Align(TTextOverlayAlign value) { SetText(&TTextOverlay::Align, value); }
    void SetTextOverlay_Align(int index, TTextOverlayAlign value) { SetText(&TTextOverlay::Align, value, index); }
    void SetTextOverlay_VideoAlignment(int index, TVideoAlignment value) { SetText(&TTextOverlay::VideoAlignment, value, index); }
    int TextOverlay_Left() const { return SelectedText().Left; }
    void SetTextOverlay_Left(int value) { SetText(&TTextOverlay::Left, value); }
    int TextOverlay_Top() const { return SelectedText().Top; }
    void SetTextOverlay_Top(int value) { SetText(&TTextOverlay::Top, value); }
    bool TextOverlay_Shadow() const { return SelectedText().Shadow; }
    void SetTextOverlay_Shadow(bool value) { SetText(&TTextOverlay::Shadow, value); }
    QColor TextOverlay_ShadowColor() const { return SelectedText().ShadowColor; }
    void SetTextOverlay_ShadowColor(const QColor &value) { SetText(&TTextOverlay::ShadowColor, value); }
    TCardinalDirection TextOverlay_ShadowDirection() const { return SelectedText().ShadowDirection; }
    void SetTextOverlay_ShadowDirection(TCardinalDirection value) { SetText(&TTextOverlay::ShadowDirection, value); }
    bool TextOverlay_HighResFont() const { return SelectedText().HighResFont; }
    void SetTextOverlay_HighResFont(bool value) { SetText(&TTextOverlay::HighResFont, value); }
    int TextOverlay_TargetDisplay() const { return SelectedText().TargetDisplay; }
    void SetTextOverlay_TargetDisplay(int value);  // -3..8; others are ignored

    // --- image overlays, by index (an index that does not exist yet is created)
    // Loads a picture file (PNG, JPEG, BMP) into the slot; false (slot unchanged) when it cannot be read.
    bool SetImageOverlayFromImageFile2(int index, const QString &fileName);
    int ImageOverlayCount() const { return int(m_overlays.Images.size()); }
    void SetImageOverlay_Enabled(int index, bool value) { SetImage(index, &TImageOverlay::Enabled, value); }
    void SetImageOverlay_Transparent(int index, bool value) { SetImage(index, &TImageOverlay::Transparent, value); }
    void SetImageOverlay_AlphaBlend(int index, bool value) { SetImage(index, &TImageOverlay::AlphaBlend, value); }
    void SetImageOverlay_AlphaBlendValue(int index, int value) { SetImage(index, &TImageOverlay::AlphaBlendValue, std::clamp(value, 0, 255)); }
    void SetImageOverlay_TransparentColorValue(int index, const QColor &value) { SetImage(index, &TImageOverlay::TransparentColorValue, value); }
    void SetImageOverlay_UseTransparentColor(int index, bool value) { SetImage(index, &TImageOverlay::UseTransparentColor, value); }
    void SetImageOverlay_Width(int index, int value) { SetImage(index, &TImageOverlay::Width, std::max(0, value)); }
    void SetImageOverlay_Height(int index, int value) { SetImage(index, &TImageOverlay::Height, std::max(0, value)); }
    void SetImageOverlay_VideoAlignment(int index, TVideoAlignment value) { SetImage(index, &TImageOverlay::VideoAlignment, value); }
    void SetImageOverlay_TargetDisplay(int index, int value);  // -3..8; others are ignored
    const TOverlaySet &Overlays() const { return m_overlays; }

    // --- motion detector (behaviour in motiondetector.h)
    // Frames the switched-on detector compared with a base since the component was created. Any thread.
    quint64 AnalysedFrames() const { return m_shared->AnalysedFrames.load(std::memory_order_relaxed); }
    // The capture thread's processor time per stage (stagetimes.h), counted from the first call of
    // TimeStages on; before it nothing is timed. Any thread.
    void TimeStages() { m_shared->Stages.Enabled.store(true, std::memory_order_relaxed); }
    TStageTimes StageTimes() const { return m_shared->Stages.Read(); }
    bool MotionDetector_Enabled() const { return m_detector->MotionDetector_Enabled(); }
    void SetMotionDetector_Enabled(bool value);
    QString MotionDetector_Grid() const { return m_detector->MotionDetector_Grid(); }
    void SetMotionDetector_Grid(const QString &value) { m_detector->SetMotionDetector_Grid(value); }
    bool MotionDetector_GreyScale() const { return m_detector->MotionDetector_GreyScale(); }
    void SetMotionDetector_GreyScale(bool value) { m_detector->SetMotionDetector_GreyScale(value); }
    bool MotionDetector_ReduceVideoNoise() const { return m_detector->MotionDetector_ReduceVideoNoise(); }
    void SetMotionDetector_ReduceVideoNoise(bool value) { m_detector->SetMotionDetector_ReduceVideoNoise(value); }
    bool MotionDetector_CompareRed() const { return m_detector->MotionDetector_CompareRed(); }
    void SetMotionDetector_CompareRed(bool value) { m_detector->SetMotionDetector_CompareRed(value); }
    bool MotionDetector_CompareGreen() const { return m_detector->MotionDetector_CompareGreen(); }
    void SetMotionDetector_CompareGreen(bool value) { m_detector->SetMotionDetector_CompareGreen(value); }
    bool MotionDetector_CompareBlue() const { return m_detector->MotionDetector_CompareBlue(); }
    void SetMotionDetector_CompareBlue(bool value) { m_detector->SetMotionDetector_CompareBlue(value); }
    int MotionDetector_ReduceCPULoad() const { return m_detector->MotionDetector_ReduceCPULoad(); }
    void SetMotionDetector_ReduceCPULoad(int value) { m_detector->SetMotionDetector_ReduceCPULoad(value); }
    double MotionDetector_MaxDetectionsPerSecond() const { return m_detector->MotionDetector_MaxDetectionsPerSecond(); }
    void SetMotionDetector_MaxDetectionsPerSecond(double value) { m_detector->SetMotionDetector_MaxDetectionsPerSecond(value); }
    bool MotionDetector_Triggered() const { return m_detector->MotionDetector_Triggered(); }
    void SetMotionDetector_Triggered(bool value) { m_detector->SetMotionDetector_Triggered(value); }
    double MotionDetector_GlobalMotionRatio() const { return m_detector->MotionDetector_GlobalMotionRatio(); }
    int MotionDetector_GridXCount() const { return m_detector->MotionDetector_GridXCount(); }
    int MotionDetector_GridYCount() const { return m_detector->MotionDetector_GridYCount(); }
    bool MotionDetector_IsGridValid() const { return m_detector->MotionDetector_IsGridValid(); }
    void MotionDetector_ResetGlobalSensitivity(int value) { m_detector->MotionDetector_ResetGlobalSensitivity(value); }
    void MotionDetector_GloballyIncOrDecSensitivity(int value) { m_detector->MotionDetector_GloballyIncOrDecSensitivity(value); }
    bool MotionDetector_SetCellSensitivity(int x, int y, int value) { return m_detector->MotionDetector_SetCellSensitivity(x, y, value); }
    bool MotionDetector_GetCellSensitivity(int x, int y, int &value) const { return m_detector->MotionDetector_GetCellSensitivity(x, y, value); }
    // Deferred to the next analysed frame while frames flow or while motion events are being raised, so
    // that the grid is never reallocated under a running scan.
    void MotionDetector_SetGridSize(int x, int y) { m_detector->MotionDetector_SetGridSize(x, y, m_inMotionEvents || m_state != cs_Down); }
    double MotionDetector_CellMotionRatio(int x, int y) const { return m_detector->MotionDetector_CellMotionRatio(x, y); }
    bool MotionDetector_GetCellLocation(int x, int y, int &xLocation, int &yLocation) const { return m_detector->MotionDetector_GetCellLocation(x, y, xLocation, yLocation); }
    bool MotionDetector_GetCellSize(int &xSize, int &ySize) const { return m_detector->MotionDetector_GetCellSize(xSize, ySize); }
    int MotionDetector_CellColorIntensity(int rgbSelector, int x, int y) const { return m_detector->MotionDetector_CellColorIntensity(rgbSelector, x, y); }
    int MotionDetector_GlobalColorIntensity(int rgbSelector) const { return m_detector->MotionDetector_GlobalColorIntensity(rgbSelector); }
    QString MotionDetector_Get2DTextGrid() const { return m_detector->MotionDetector_Get2DTextGrid(); }
    QString MotionDetector_Get2DTextMotion() const { return m_detector->MotionDetector_Get2DTextMotion(); }
    void MotionDetector_Reset() { m_detector->MotionDetector_Reset(); }
    void MotionDetector_TriggerNow() { m_detector->MotionDetector_TriggerNow(); }
    bool MotionDetector_UseThisReferenceSample(const QImage &bitmap, const QString &bmpFile, const QString &jpegFile) { return m_detector->MotionDetector_UseThisReferenceSample(bitmap, bmpFile, jpegFile); }

    // --- events (UI thread; one handler each)
    std::function<void(TCaptureComponent *sender, double globalMotionRatio, int maxMotionCellX, int maxMotionCellY,
                       const QImage *frameBitmap, quint32 frameNumber, qint64 frameTime, int frameId,
                       bool &captureFrame)>
        OnMotionDetected;
    std::function<void(TCaptureComponent *sender, const QImage *frameBitmap, quint32 frameNumber, qint64 frameTime,
                       int frameId, bool &captureFrame)>
        OnMotionNotDetected;
    // The credentials are what was configured; changing them here has no effect on this attempt.
    std::function<void(TCaptureComponent *sender, TAuthenticationType authenticationType, const QString &realm,
                       const QString &server, QString &userName, QString &password)>
        OnAuthenticationNeeded;
    std::function<void(TCaptureComponent *sender)> OnDeviceLost;
    std::function<void(TCaptureComponent *sender, const TFrameInfo &frameInfo, const TFrameBitmapInfo &bitmapInfo)>
        OnFrameBitmap;
    std::function<void(TCaptureComponent *sender, int videoWindow, Qt::MouseButton button,
                       Qt::KeyboardModifiers shift, int x, int y)>
        OnMouseDown;
    std::function<void(TCaptureComponent *sender, int videoWindow, Qt::MouseButton button,
                       Qt::KeyboardModifiers shift, int x, int y)>
        OnMouseUp;
    // The standard drag-and-drop events of the control; raised by whoever runs the drag (the camera grid).
    std::function<void(TCaptureComponent *sender)> OnStartDrag;
    std::function<void(TCaptureComponent *sender, QObject *source, int x, int y, bool &accept)> OnDragOver;
    std::function<void(TCaptureComponent *sender, QObject *source, int x, int y)> OnDragDrop;
    std::function<void(TCaptureComponent *sender, const QString &fileName)> OnRecordingStarted;
    std::function<void(TCaptureComponent *sender, TPlayerState oldState, TPlayerState newState)> OnPlayerStateChanged;
    // Watched from the first event-loop turn after construction when a handler is set by then, or from the
    // first call of the player or device functions.
    std::function<void(TCaptureComponent *sender, bool isDeviceArrival, bool isVideoDevice, const QString &deviceName,
                       int deviceIndex)>
        OnDeviceArrivalOrRemoval;
    // Log notifications of the component and its detector.
    std::function<void(TCaptureComponent *sender, const QString &text)> OnLog;
    // A motion handler set CaptureFrame: the frame to keep as a still (the newest frame).
    std::function<void(const TVideoFrame &frame)> CaptureFrameRequested;

protected:
    void SetDragKindValue(TDragKind value) { m_dragKind = value; }
    void SetDragModeValue(TDragMode value) { m_dragMode = value; }

    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void EnsureEngine();
    // Starts a new session: nothing of an earlier start (its newest frame, its motion results, frames pushed
    // for it) is shown or raised any more.
    void BeginNewSession();
    void SourceSettingsChanged() { m_sourceChanged = true; }
    void TakeFrames();
    void ShowFrame(const TVideoFrame &frame, const QImage &shown);
    // The picture to paint: the one shown last or, when the view was not on screen as it came, the newest
    // frame (fetched now). Null when there is none.
    const QImage &ShownPicture();
    // Tells the capture thread the size (and aspect mode) that the live picture is shown at.
    void UpdateViewArea();
    void SourceEnded(quint64 session, TSourceEnd end, const QString &realm, const QString &server);
    void GoDown();
    void RaiseMotionEvent(const TMotionEvent &event);
    bool Push(QByteArray jpeg, QImage picture, qint64 frameTime);
    void CloseRecording();
    int &IPCameraSettingField(TIPCameraSetting setting);
    bool WriteStill(TFrameCaptureDest dest, const QString &fileName);
    TSoundPlayer &Player();
    TWebcamSource &DeviceList();
    void WatchDevices();

    template <typename T>
    void SetAndRepaint(T &field, const T &value)
    {
        field = value;
        Repaint();
    }
    TTextOverlay &SelectedText() { return m_overlays.Texts[size_t(m_textSelector)]; }
    const TTextOverlay &SelectedText() const { return m_overlays.Texts[size_t(m_textSelector)]; }
    TTextOverlay *TextSlot(int index);
    TImageOverlay *ImageSlot(int index);
    // Sets a field of the selected text slot, or of slot `index` (created when missing; out of range: no-op).
    template <typename T>
    void SetText(T TTextOverlay::*field, const T &value, int index = -1)
    {
        if (TTextOverlay *slot = index < 0 ? &SelectedText() : TextSlot(index)) {
            slot->*field = value;
            OverlaysChanged();
        }
    }
    template <typename T>
    void SetImage(int index, T TImageOverlay::*field, const T &value)
    {
        if (TImageOverlay *slot = ImageSlot(index)) {
            slot->*field = value;
            slot->Prepare();
            OverlaysChanged();
        }
    }
    void OverlaysChanged();
    void PublishOverlays();

    QRect ContentRect() const;
    void PaintPicture(QPainter &painter, const QRect &area);
    void Repaint();

    std::unique_ptr<TMotionDetector> m_detector;
    std::shared_ptr<TCaptureShared> m_shared;
    QThread *m_thread = nullptr;
    TCaptureEngine *m_engine = nullptr;  // lives on m_thread
    std::unique_ptr<TFullScreenWindow> m_fullScreen;
    std::shared_ptr<TRecordingFrameSink> m_recording;   // in the sink list for the component's whole life
    bool m_recordingStartFailed = false;
    bool m_stillFailureLogged = false;
    std::shared_ptr<std::atomic<bool>> m_recordingFailureLogged = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<TJpegEncoder> m_stillEncoder;  // created at the first still
    TSoundPlayer *m_player = nullptr;              // created at the first player call
    TWebcamSource *m_deviceList = nullptr;         // device lists, created at the first device call
    TMediaDeviceWatcher *m_deviceWatcher = nullptr;

    TSourceSettings m_settings;
    TRecordingMethod m_recordingMethod = rm_AVI;
    int m_videoCompressor = -1;
    TCompressionMode m_compressionMode = cm_NoCompression;
    QString m_storagePath;
    QString m_autoFilePrefix;
    TAutoFileName m_autoFileName = fn_Sequential;
    int m_jpegQuality = 100;
    QString m_playerFileName;
    int m_audioVolume = 65535;
    TPlayerState m_playerState = ps_Closed;
    int m_videoDevice = -1;
    int m_videoSize = 0;
    bool m_sourceChanged = false;
    bool m_openURLAsync = true;
    TCurrentState m_state = cs_Down;
    quint64 m_session = 0;
    bool m_hasPicture = false;        // a frame of the current start is shown
    bool m_inMotionEvents = false;

    QImage m_shown;                   // the picture on screen (the frame or its small picture, or m_drawn after
                                      // OnFrameBitmap drew); null while the view is not on screen
    QSize m_shownFrameSize;           // the size of the frame it shows
    QImage m_drawn;                   // reused copy that OnFrameBitmap draws on

    TOverlaySet m_overlays;
    int m_textSelector = 0;
    bool m_overlaysPublishPending = false;

    bool m_displayEmbedded = true;
    bool m_displayVisible = true;
    TAspectRatio m_aspectRatio = ar_Box;

    QColor m_color;
    QColor m_fontColor = Qt::black;
    QString m_caption;
    bool m_showCaption = true;
    TAlign m_align = alNone;
    TBevelCut m_bevelOuter = bvRaised;
    TBorderStyle m_borderStyle = bsNone;
    int m_borderWidth = 0;
    QMargins m_margins{3, 3, 3, 3};
    bool m_alignWithMargins = false;
    TDragKind m_dragKind = dkDrag;
    TDragMode m_dragMode = dmManual;
};

// The component each camera owns: the same panel with settable drag properties.
class TAdvancedCaptureComponent : public TCaptureComponent
{
    Q_OBJECT
public:
    using TCaptureComponent::TCaptureComponent;
    void SetDragKind(TDragKind value) { SetDragKindValue(value); }
    void SetDragMode(TDragMode value) { SetDragModeValue(value); }
};
