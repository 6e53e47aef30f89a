// The row kernels of the motion scan that need no more than the base instruction set (see motionkernel.h).
#include "capture/motionkernel.h"

#include <cstdlib>

#if OSTRIVO_MOTION_X86
#include <emmintrin.h>
#endif

void MotionRowScalar(const TMotionRowJob &job)
{
    for (int r = 0; r < job.RunCount; ++r) {
        const TMotionRun &run = job.Runs[r];
        const int tb = int(run.Thresholds & 0xFF);
        const int tg = int((run.Thresholds >> 8) & 0xFF);
        const int tr = int((run.Thresholds >> 16) & 0xFF);
        const uint8_t *a = job.Frame + run.Offset;
        const uint8_t *b = job.Base + run.Offset;
        int changed = 0;
        for (int i = 0; i < run.Count; ++i, a += job.Stride, b += job.Stride) {
            // The three compares are ORed, so a pixel counts once whichever channels differ.
            changed += int(std::abs(int(a[0]) - int(b[0])) > tb) | int(std::abs(int(a[1]) - int(b[1])) > tg) |
                       int(std::abs(int(a[2]) - int(b[2])) > tr);
        }
        job.Changed[run.Cell] += changed;
    }
}

#if OSTRIVO_MOTION_X86

// All-ones in each 32-bit lane (pixel) of a and b whose byte differences all stay within their thresholds.
static inline __m128i Unchanged4(const uint8_t *a, const uint8_t *b, __m128i thresholds)
{
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b));
    const __m128i difference = _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
    return _mm_cmpeq_epi32(_mm_subs_epu8(difference, thresholds), _mm_setzero_si128());
}

void MotionRow32Sse2(const TMotionRowJob &job)
{
    for (int r = 0; r < job.RunCount; ++r) {
        const TMotionRun &run = job.Runs[r];
        const uint8_t *a = job.Frame + run.Offset;
        const uint8_t *b = job.Base + run.Offset;
        const __m128i thresholds = _mm_set1_epi32(int(run.Thresholds));
        const int n = run.Count;
        // Lanes count unchanged pixels (each all-ones lane subtracts -1).
        __m128i count0 = _mm_setzero_si128(), count1 = _mm_setzero_si128();
        int i = 0;
        for (; i + 8 <= n; i += 8) {
            count0 = _mm_sub_epi32(count0, Unchanged4(a + 4 * i, b + 4 * i, thresholds));
            count1 = _mm_sub_epi32(count1, Unchanged4(a + 4 * i + 16, b + 4 * i + 16, thresholds));
        }
        for (; i < n; i += 4) {
            const __m128i lanes = _mm_cmplt_epi32(_mm_setr_epi32(0, 1, 2, 3), _mm_set1_epi32(n - i));
            count0 = _mm_sub_epi32(count0, _mm_and_si128(lanes, Unchanged4(a + 4 * i, b + 4 * i, thresholds)));
        }
        __m128i sum = _mm_add_epi32(count0, count1);
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
        job.Changed[run.Cell] += n - _mm_cvtsi128_si32(sum);
    }
}

#endif // OSTRIVO_MOTION_X86
