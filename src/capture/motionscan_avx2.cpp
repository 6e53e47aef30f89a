// The 32-bit row kernel with 256-bit vectors, chosen at run time on processors that have AVX2. The file is
// built with the default (portable) flags: only the functions marked below use AVX2 instructions, so no
// shared inline code is ever compiled for AVX2. Counts are identical to MotionRow32Sse2.
#include "capture/motionkernel.h"

#if OSTRIVO_MOTION_X86

#include <immintrin.h>

#define MOTION_AVX2 __attribute__((target("avx2")))

// All-ones in each 32-bit lane (pixel) whose byte differences all stay within their thresholds.
MOTION_AVX2 static inline __m256i Unchanged8(const uint8_t *a, const uint8_t *b, __m256i thresholds)
{
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(a));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b));
    const __m256i difference = _mm256_or_si256(_mm256_subs_epu8(x, y), _mm256_subs_epu8(y, x));
    return _mm256_cmpeq_epi32(_mm256_subs_epu8(difference, thresholds), _mm256_setzero_si256());
}

MOTION_AVX2 void MotionRow32Avx2(const TMotionRowJob &job)
{
    const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int r = 0; r < job.RunCount; ++r) {
        const TMotionRun &run = job.Runs[r];
        const uint8_t *a = job.Frame + run.Offset;
        const uint8_t *b = job.Base + run.Offset;
        const __m256i thresholds = _mm256_set1_epi32(int(run.Thresholds));
        const int n = run.Count;
        // Lanes count unchanged pixels (each all-ones lane subtracts -1).
        __m256i count0 = _mm256_setzero_si256(), count1 = _mm256_setzero_si256();
        int i = 0;
        for (; i + 16 <= n; i += 16) {
            count0 = _mm256_sub_epi32(count0, Unchanged8(a + 4 * i, b + 4 * i, thresholds));
            count1 = _mm256_sub_epi32(count1, Unchanged8(a + 4 * i + 32, b + 4 * i + 32, thresholds));
        }
        for (; i < n; i += 8) {
            const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), laneIndex);
            count0 = _mm256_sub_epi32(count0, _mm256_and_si256(lanes, Unchanged8(a + 4 * i, b + 4 * i, thresholds)));
        }
        const __m256i both = _mm256_add_epi32(count0, count1);
        __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(both), _mm256_extracti128_si256(both, 1));
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
        job.Changed[run.Cell] += n - _mm_cvtsi128_si32(sum);
    }
}

#endif // OSTRIVO_MOTION_X86
