// ostrivo-bench motion: the motion detector's analysis of one frame with the default options (10 x 10 grid,
// level 5, every pixel) against the floor of any full-frame comparison, an SSE2 sum of absolute differences
// over the same two frames. Prints per size:
//   motion <W>x<H> detector_ms=<median> sad_ms=<median> ratio=<detector/sad>
#include "capture/motionanalysis.h"
#include "capture/motiondetector.h"

#include <emmintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// A camera-like frame: a gradient background with a bright moving bar and a dark disc, plus sensor noise.
QImage CameraFrame(int width, int height, int shift, uint32_t seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    uint32_t state = seed;
    auto noise = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int(state % 13) - 6;
    };
    const int barLeft = width / 4 + shift, discX = width / 2 - shift, discY = height / 2;
    const int radius = height / 6;
    for (int y = 0; y < height; ++y) {
        uint8_t *p = image.scanLine(y);
        for (int x = 0; x < width; ++x, p += 4) {
            int level = 40 + (x * 120) / width + (y * 60) / height;
            if (x >= barLeft && x < barLeft + width / 16)
                level = 220;
            const int dx = x - discX, dy = y - discY;
            if (dx * dx + dy * dy < radius * radius)
                level = 25;
            p[0] = uint8_t(std::clamp(level + noise(), 0, 255));
            p[1] = uint8_t(std::clamp(level + 10 + noise(), 0, 255));
            p[2] = uint8_t(std::clamp(level - 10 + noise(), 0, 255));
            p[3] = 0xFF;
        }
    }
    return image;
}

__attribute__((noinline)) uint64_t SumOfAbsoluteDifferences(const uint8_t *a, const uint8_t *b, size_t bytes)
{
    __m128i sum0 = _mm_setzero_si128(), sum1 = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        const __m128i *x = reinterpret_cast<const __m128i *>(a + i);
        const __m128i *y = reinterpret_cast<const __m128i *>(b + i);
        sum0 = _mm_add_epi64(sum0, _mm_sad_epu8(_mm_loadu_si128(x), _mm_loadu_si128(y)));
        sum1 = _mm_add_epi64(sum1, _mm_sad_epu8(_mm_loadu_si128(x + 1), _mm_loadu_si128(y + 1)));
    }
    const __m128i sum = _mm_add_epi64(sum0, sum1);
    uint64_t total = uint64_t(_mm_cvtsi128_si64(sum)) + uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sum, sum)));
    for (; i < bytes; ++i)
        total += a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
    return total;
}

template <class F> double Milliseconds(F &&f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    asm volatile("" ::: "memory");
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void MeasureSize(int width, int height, int rounds, int perRound)
{
    TVideoFrame frames[2];
    frames[0].Image = CameraFrame(width, height, 0, 12345);
    frames[1].Image = CameraFrame(width, height, width / 64, 67890);

    TMotionDetector detector;
    detector.SetMotionDetector_Enabled(true);
    detector.ProcessFrame(frames[0]); // initialises the comparison
    uint32_t number = 1;
    volatile uint64_t sink = 0;

    std::vector<double> detectorTimes, sadTimes;
    for (int round = 0; round < rounds; ++round) {
        // Alternating the two kinds of work shares out whatever else the machine is doing.
        for (int i = 0; i < perRound; ++i) {
            TVideoFrame &frame = frames[number % 2];
            frame.Number = ++number;
            frame.Time += 400000;
            detectorTimes.push_back(Milliseconds([&] { sink = sink + detector.ProcessFrame(frame).Motion; }));
        }
        const uint8_t *a = frames[0].Image.constBits(), *b = frames[1].Image.constBits();
        const size_t bytes = size_t(frames[0].Image.sizeInBytes());
        for (int i = 0; i < perRound; ++i)
            sadTimes.push_back(Milliseconds([&] { sink = sink + SumOfAbsoluteDifferences(a, b, bytes); }));
    }
    const double detectorMs = Median(detectorTimes), sadMs = Median(sadTimes);
    std::printf("motion %dx%d detector_ms=%.4f sad_ms=%.4f ratio=%.2f\n", width, height, detectorMs, sadMs,
                detectorMs / sadMs);
}

} // namespace

int BenchMotion(int argc, char **argv)
{
    int rounds = 40;
    bool usable = argc % 2 == 0;
    for (int i = 0; usable && i + 1 < argc; i += 2) {
        const std::string_view option = argv[i], value = argv[i + 1];
        if (option == "--rounds") {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--kernel") {
            const TMotionKernelChoice choice = value == "scalar" ? TMotionKernelChoice::Scalar
                                               : value == "sse2" ? TMotionKernelChoice::Sse2
                                               : value == "avx2" ? TMotionKernelChoice::Avx2
                                                                 : TMotionKernelChoice::Automatic;
            if (!SetMotionKernel(choice)) {
                std::fprintf(stderr, "ostrivo-bench: this processor has no %s\n", argv[i + 1]);
                return 2;
            }
        } else {
            usable = false;
        }
    }
    if (!usable) {
        std::fprintf(stderr, "usage: ostrivo-bench motion [--rounds N] [--kernel scalar|sse2|avx2]\n");
        return 2;
    }
    MeasureSize(1280, 720, rounds, 25);
    MeasureSize(1920, 1080, rounds, 25);
    return 0;
}
