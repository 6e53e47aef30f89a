#pragma once
// The frame sink through which a capture component records: it sits in the component's sink list for as
// long as the component lives, measures the source's frame rate from every frame (so that a recording knows
// its rate from its first frame) and, while a recording runs, hands each frame to the AVI recorder.
//
// Threads: TakeFrame runs on the capture thread and encodes there. Start, Stop and the readers are called
// from the UI thread; a mutex hands the recorder between the two. Stop closes the file on the calling
// thread (the encoder keeps no delayed pictures, so closing is writing the index), waiting at most for the
// frame the capture thread has in hand.
#include "capture/avirecorder.h"
#include "capture/captureengine.h"

#include <QMutex>

#include <functional>
#include <memory>

class TRecordingFrameSink : public TFrameSink
{
public:
    void TakeFrame(const TVideoFrame &frame) override;

    // Opens a new recording (closing a running one first). The frame rate measured so far goes into the
    // options. False with the reason in `error` when the file cannot be created.
    bool Start(const QString &fileName, TAviRecorderOptions options, QString &error);
    // Closes the running recording, if any; false when the file could not be finished properly.
    bool Stop();
    bool IsRecording() const;
    // The running recording could not write a frame (a full disk): it records nothing more.
    bool WriteFailed() const;
    // Frames written into the running (or last) recording.
    qint64 FramesWritten() const;
    // Forgets the measured rate (a new source starts).
    void ResetRate();

    // A frame could not be written (capture thread; once per recording).
    std::function<void(const QString &error)> OnWriteError;

private:
    static void RemoveIfEmpty(const QString &fileName);

    mutable QMutex m_mutex;
    TFrameRateMeter m_meter;
    std::unique_ptr<TAviRecorder> m_recorder;
    bool m_writeFailed = false;
};
