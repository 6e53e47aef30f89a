#include "capture/framebuffers.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QThread>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <vector>

#if defined(Q_OS_UNIX)
#include <sys/mman.h>
#endif

namespace {

// The buffer's size is kept in front of its pixels.
constexpr size_t HeaderBytes = 64;

// Large buffers (whole frames) are mapped from the system directly rather than taken from the C library's
// heap: a freed one goes back to the system at once, where the heap would keep it in the arena of the
// capture thread that freed it (one arena per thread: megabytes per camera that nothing uses). Small ones
// (the live views' pictures, most often let go on the user-interface thread) stay on the heap: unmapping
// there would wait for the capture threads' page faults.
constexpr size_t MappedFromBytes = 2 * 1024 * 1024;
constexpr size_t HugePageBytes = 2 * 1024 * 1024;

unsigned char *AllocateBlock(size_t bytes)
{
#if defined(Q_OS_UNIX)
    if (bytes >= MappedFromBytes) {
        // Start on a huge-page boundary and ask for huge pages: a fresh frame then faults in a few times
        // rather than once per 4 KB page, and decoding and scanning it miss the address cache far less.
        const size_t reserve = bytes + HugePageBytes;
        void *area = mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED)
            return nullptr;
        const auto start = reinterpret_cast<uintptr_t>(area);
        const uintptr_t aligned = (start + HugePageBytes - 1) & ~uintptr_t(HugePageBytes - 1);
        if (aligned > start)
            munmap(area, aligned - start);
        munmap(reinterpret_cast<void *>(aligned + bytes), start + reserve - (aligned + bytes));  // never empty
#if defined(MADV_HUGEPAGE)
        madvise(reinterpret_cast<void *>(aligned), bytes & ~(HugePageBytes - 1), MADV_HUGEPAGE);
#endif
        return reinterpret_cast<unsigned char *>(aligned);
    }
#endif
    return static_cast<unsigned char *>(std::malloc(bytes));
}

size_t BufferBytes(const unsigned char *block)
{
    return *reinterpret_cast<const size_t *>(block);
}

void FreeBlock(unsigned char *block)
{
#if defined(Q_OS_UNIX)
    if (HeaderBytes + BufferBytes(block) >= MappedFromBytes) {
        munmap(block, HeaderBytes + BufferBytes(block));
        return;
    }
#endif
    std::free(block);
}

class TFrameBufferCache
{
public:
    TFrameBufferCache() : m_turnCount(std::max(1, QThread::idealThreadCount())), m_turns(m_turnCount) {}

    bool TakeTurn() { return m_turns.tryAcquire(1, TFrameTurn::WaitMs); }
    void GiveTurn() { m_turns.release(); }
    int TurnCount() const { return m_turnCount; }

    unsigned char *Take(size_t bytes)
    {
        {
            QMutexLocker lock(&m_mutex);
            // The buffer given back last first: some of it may still be in the processor's caches.
            for (auto it = m_spare.rbegin(); it != m_spare.rend(); ++it) {
                if (BufferBytes(*it) == bytes) {
                    unsigned char *block = *it;
                    m_spare.erase(std::next(it).base());
                    m_spareBytes -= bytes;
                    return block;
                }
            }
        }
        unsigned char *block = AllocateBlock(HeaderBytes + bytes);
        if (block)
            *reinterpret_cast<size_t *>(block) = bytes;
        return block;
    }

    void Return(unsigned char *block)
    {
        std::vector<unsigned char *> freed;
        {
            QMutexLocker lock(&m_mutex);
            int sameSize = 0;
            for (unsigned char *spare : m_spare)
                sameSize += BufferBytes(spare) == BufferBytes(block);
            if (sameSize >= MaxSpareFrameBuffers) {
                freed.push_back(block);
            } else {
                m_spare.push_back(block);
                m_spareBytes += BufferBytes(block);
            }
            // Over the byte bound: forget spares of other sizes first (a camera changed its picture size),
            // then the oldest.
            while (m_spareBytes > MaxSpareFrameBufferBytes && m_spare.size() > 2) {
                auto victim = std::find_if(m_spare.begin(), m_spare.end(), [&](const unsigned char *spare) {
                    return BufferBytes(spare) != BufferBytes(block);
                });
                if (victim == m_spare.end())
                    victim = m_spare.begin();
                m_spareBytes -= BufferBytes(*victim);
                freed.push_back(*victim);
                m_spare.erase(victim);
            }
        }
        for (unsigned char *spare : freed)
            FreeBlock(spare);
    }

    int Spare()
    {
        QMutexLocker lock(&m_mutex);
        return int(m_spare.size());
    }

    qint64 SpareBytes()
    {
        QMutexLocker lock(&m_mutex);
        return qint64(m_spareBytes);
    }

private:
    QMutex m_mutex;
    std::vector<unsigned char *> m_spare;
    size_t m_spareBytes = 0;
    const int m_turnCount;
    QSemaphore m_turns;
};

// Never destroyed: pictures may be released by static destructors after the end of main().
TFrameBufferCache &Cache()
{
    static auto *cache = new TFrameBufferCache;
    return *cache;
}

void ReturnBuffer(void *block)
{
    Cache().Return(static_cast<unsigned char *>(block));
}

} // namespace

QImage TakeFramePicture(QSize size)
{
    if (size.isEmpty())
        return {};
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    unsigned char *block = Cache().Take(size_t(bytesPerLine) * size_t(size.height()));
    if (!block)
        return {};
    return QImage(block + HeaderBytes, size.width(), size.height(), bytesPerLine, QImage::Format_RGB32, ReturnBuffer,
                  block);
}

int SpareFrameBuffers()
{
    return Cache().Spare();
}

qint64 SpareFrameBufferBytes()
{
    return Cache().SpareBytes();
}

TFrameTurn::TFrameTurn() : m_held(Cache().TakeTurn()) {}

TFrameTurn::~TFrameTurn()
{
    if (m_held)
        Cache().GiveTurn();
}

int FrameTurns()
{
    return Cache().TurnCount();
}
