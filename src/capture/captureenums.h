#pragma once
#include "capture/playerstate.h"
// The enumerations of the capture component, values in their declared order (callers pass and compare them
// by name), plus the standard panel properties that the component offers like any other control.

enum TVideoSource
{
    vs_VideoCaptureDevice,
    vs_ScreenRecording,
    vs_VideoFileOrURL,
    vs_JPEGsOrBitmaps,
    vs_IPCamera,
    vs_Mixer,
    vs_VideoFromImages,
    vs_ThirdPartyFilter
};

enum TCurrentState
{
    cs_Down,
    cs_Preview,
    cs_Recording,
    cs_Playback,
    cs_Reencoding
};


enum TAspectRatio
{
    ar_Box,       // the whole picture, aspect kept, bars around
    ar_NoResize,  // picture size, centred
    ar_Stretch,   // fills the control, aspect ignored
    ar_PanScan    // fills the control, aspect kept, edges cut
};

enum TRecordingMethod
{
    rm_AVI,
    rm_ASF,
    rm_MKV,
    rm_MP4,
    rm_MOV,
    rm_FLV,
    rm_WebM,
    rm_OGG,
    rm_MPEG,
    rm_TS,
    rm_3GP
};

enum TCompressionMode
{
    cm_NoCompression,
    cm_CompressOnTheFly,
    cm_CompressAfterRecording
};

enum TAutoFileName
{
    fn_Sequential,
    fn_DateTime,
    fn_Counter,
    fn_Modulo
};

enum TFrameCaptureDest
{
    fc_TBitmap,
    fc_BmpFile,
    fc_JpegFile,
    fc_Clipboard
};

enum TAuthenticationType
{
    at_PublishingPoint,
    at_IPCamera,
    at_StreamingUrl
};

enum TIPCameraSetting
{
    ips_ConnectionTimeout,  // ms until a connection attempt without a picture gives up
    ips_ReceiveTimeout,     // ms without a frame after which a running camera counts as lost
    ips_LossGracePeriod     // ms in which a running camera that dropped out is tried again before it is lost
};

enum TTextOverlayAlign
{
    tf_Left,
    tf_Center,
    tf_Right
};

enum TVideoAlignment
{
    oa_LeftTop,
    oa_CenterTop,
    oa_RightTop,
    oa_LeftCenter,
    oa_Center,
    oa_RightCenter,
    oa_LeftBottom,
    oa_CenterBottom,
    oa_RightBottom
};

enum TCardinalDirection
{
    cd_North,
    cd_NorthEast,
    cd_East,
    cd_SouthEast,
    cd_South,
    cd_SouthWest,
    cd_West,
    cd_NorthWest,
    cd_Center
};

enum TDialog
{
    dlg_VideoDevice,
    dlg_VideoCompressor,
    dlg_AudioDevice,
    dlg_AudioCompressor,
    dlg_StreamConfig,
    dlg_VideoFormat,
    dlg_VideoSource,
    dlg_VideoDisplay,
    dlg_VideoCrossbar,
    dlg_AudioCrossbar,
    dlg_TVTuner,
    dlg_TVAudio,
    dlg_VideoProcAmp,
    dlg_CameraControl,
    dlg_AudioMixer,
    dlg_MotionGrid,
    dlg_About,
    dlg_None
};

// Target-display codes of overlays (accepted range -3..8).
constexpr int TargetDisplay_WhenDown = -3;     // on the empty control while nothing runs
constexpr int TargetDisplay_LiveOnly = -2;     // on every display window, never in the frames
constexpr int TargetDisplay_InFrames = -1;     // drawn into the video frames (recordings, captures)
constexpr int TargetDisplay_Min = -3;
constexpr int TargetDisplay_Max = 8;

// Standard panel properties.
enum TAlign
{
    alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient,
    alCustom
};

enum TBevelCut
{
    bvNone,
    bvLowered,
    bvRaised,
    bvSpace
};

enum TBorderStyle
{
    bsNone,
    bsSingle
};

enum TDragKind
{
    dkDrag,
    dkDock
};

enum TDragMode
{
    dmManual,
    dmAutomatic
};
