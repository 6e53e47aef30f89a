#include "capture/recordingsink.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

void TRecordingFrameSink::TakeFrame(const TVideoFrame &frame)
{
    QMutexLocker lock(&m_mutex);
    m_meter.AddFrameTime(frame.Time);
    if (!m_recorder || m_writeFailed)
        return;
    if (!m_recorder->WriteFrame(frame)) {
        m_writeFailed = true;
        if (OnWriteError)
            OnWriteError(m_recorder->LastError());
    }
}

bool TRecordingFrameSink::Start(const QString &fileName, TAviRecorderOptions options, QString &error)
{
    Stop();
    auto recorder = std::make_unique<TAviRecorder>();
    QMutexLocker lock(&m_mutex);
    options.FrameRate = m_meter.Rate();
    if (!recorder->Open(fileName, options)) {
        error = recorder->LastError();
        RemoveIfEmpty(fileName);
        return false;
    }
    m_recorder = std::move(recorder);
    m_writeFailed = false;
    return true;
}

bool TRecordingFrameSink::Stop()
{
    std::unique_ptr<TAviRecorder> recorder;
    bool failed = false;
    {
        QMutexLocker lock(&m_mutex);
        recorder = std::move(m_recorder);
        failed = m_writeFailed;
    }
    if (!recorder)
        return true;
    const bool closed = recorder->Close();
    // A recording that could not write anything (a full disk) leaves no empty file behind for every retry.
    if (failed || !closed)
        RemoveIfEmpty(recorder->FileName());
    return closed;
}

void TRecordingFrameSink::RemoveIfEmpty(const QString &fileName)
{
    if (QFileInfo(fileName).size() == 0)
        QFile::remove(fileName);
}

bool TRecordingFrameSink::IsRecording() const
{
    QMutexLocker lock(&m_mutex);
    return m_recorder != nullptr;
}

bool TRecordingFrameSink::WriteFailed() const
{
    QMutexLocker lock(&m_mutex);
    return m_recorder && m_writeFailed;
}

qint64 TRecordingFrameSink::FramesWritten() const
{
    QMutexLocker lock(&m_mutex);
    return m_recorder ? m_recorder->FramesWritten() : 0;
}

void TRecordingFrameSink::ResetRate()
{
    QMutexLocker lock(&m_mutex);
    m_meter.Reset();
}
