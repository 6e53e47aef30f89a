#pragma once
// AVI recording of captured frames with libavformat.
//
// Two modes: compressed with FFmpeg's mpeg4 (MPEG-4 Visual) encoder under the codec tag XVID (the compressor named
// "Xvid MPEG-4 Codec"), at the quantiser that the per-user encoder quality gives; or uncompressed 24-bit
// BGR bitmaps, stored bottom-up as classic players expect.
//
// Real-speed placement: the file has a constant frame rate, the source's measured rate, and every frame
// goes into the slot of its capture time; slots without a new frame repeat the previous picture and a
// frame whose slot is already taken is dropped. Ten seconds of capture make ten seconds of video whatever
// the camera's rate or jitter. Freezes of the source longer than a minute are shortened to a minute.
//
// The file is created by Open, its header is written once the frame size and rate are known (the first
// frame, or after the first second of frames when the rate must be measured), and Close writes the index:
// a recorder closed or destroyed at any point leaves a playable file. A recording that got no frame at all
// leaves no file.
//
// Threads: one recorder is used by one thread at a time (the capture component's worker thread). The
// compressor list functions may be called from any thread.
#include "capture/frame.h"

#include <QString>
#include <QStringList>

#include <memory>

// The MPEG-4 compressor's name, by which recorders and the codec settings look it up.
inline const QString XvidCompressorName = QStringLiteral("Xvid MPEG-4 Codec");

// The compressors that can really be used, in index order: ["Xvid MPEG-4 Codec"] when the MPEG-4 encoder
// is present. Uncompressed recording is a mode of its own (TAviRecorderOptions::Compress), not a
// compressor.
QStringList AviCompressorNames();
// Index of the compressor of that name in AviCompressorNames(), or -1.
int AviCompressorIndex(const QString &name);

struct TAviRecorderOptions
{
    bool Compress = true;          // false: uncompressed BGR24
    int CompressorIndex = 0;       // into AviCompressorNames(); used when compressing
    int Quality = -1;              // 1..100 (encodersettings.h); -1: the stored per-user setting
    double FrameRate = 0;          // the source's rate when known (TFrameRateMeter); 0: measure it here
    double DefaultFrameRate = 10;  // used when the rate cannot be measured (a single frame, no times)
};

// Measures a source's frame rate from the capture times of its latest frames (about the last two
// seconds). The capture component feeds it every frame during preview and hands Rate() to the recorder,
// so that a recording has its rate from the first frame.
class TFrameRateMeter
{
public:
    void AddFrameTime(qint64 time);  // 100-ns units, as TVideoFrame::Time
    double Rate() const;             // frames per second, 0 while unknown
    void Reset() { m_count = 0; }

private:
    static constexpr int Capacity = 64;
    qint64 m_times[Capacity] = {};
    int m_next = 0;
    int m_count = 0;
};

class TAviRecorder
{
public:
    TAviRecorder();
    ~TAviRecorder(); // closes
    TAviRecorder(const TAviRecorder &) = delete;
    TAviRecorder &operator=(const TAviRecorder &) = delete;

    // Creates the file (replacing one of that name). False with LastError when it cannot be created or
    // the compressor does not exist.
    bool Open(const QString &fileName, const TAviRecorderOptions &options = {});
    // Places one frame by its capture time. Frames may change size; they are scaled to the size of the
    // first frame (rounded down to even for MPEG-4). False with LastError on an encoding or write error.
    bool WriteFrame(const TVideoFrame &frame);
    // Writes what is pending and the index, and closes the file. Harmless when not open.
    bool Close();

    bool IsOpen() const;
    QString FileName() const;
    // The file's frame rate (0 until it is chosen) and the frames (slots) written so far; both stay
    // readable after Close until the next Open.
    double FrameRate() const;
    qint64 FramesWritten() const;
    QString LastError() const;

    // The file rate for a measured source rate: 1..60 frames per second, whole numbers from 10 up and
    // tenths below.
    static double FileFrameRate(double measuredRate);

private:
    struct TImpl;
    std::unique_ptr<TImpl> d;
};
