#pragma once
// The innermost part of the motion scan: counting the changed pixels of one sampled row, cell run after cell
// run. Kept free of Qt so that the wider-instruction-set variants can be compiled in files of their own.
#include <cstdint>

// The vector kernels exist on x86-64 only (SSE2 is part of its base instruction set; AVX2 is chosen at run
// time). Elsewhere the scalar kernel does all the work; defining OSTRIVO_MOTION_PORTABLE builds that portable
// path on x86-64 as well (to check it there).
#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__)) \
    && !defined(OSTRIVO_MOTION_PORTABLE)
#define OSTRIVO_MOTION_X86 1
#else
#define OSTRIVO_MOTION_X86 0
#endif

// The sampled pixels of one row that fall into one column cell: `Count` samples starting `Offset` bytes into
// the row. `Thresholds` holds one byte per pixel byte (blue, green, red, fourth): the cell's threshold for
// the compared bytes and 255 for the others, so a pixel has changed when any of its byte differences is
// strictly above its threshold byte. The changed count is added to `Changed[Cell]`.
struct TMotionRun
{
    int32_t Offset;
    int32_t Count;
    uint32_t Thresholds;
    int32_t Cell;
};

struct TMotionRowJob
{
    const uint8_t *Frame;   // start of the row in the frame
    const uint8_t *Base;    // start of the same row in the base
    const TMotionRun *Runs;
    int RunCount;
    int Stride;             // bytes from one sample to the next (step x bytes per pixel)
    int32_t *Changed;
};

using TMotionRowKernel = void (*)(const TMotionRowJob &job);

// Any pixel size and step, one sample at a time (still branch-free per pixel).
void MotionRowScalar(const TMotionRowJob &job);
#if OSTRIVO_MOTION_X86
// 4-byte pixels, every pixel sampled. These read up to 7 pixels past a run's end (masked out of the count):
// callers make sure that memory belongs to the picture, as the row below the last sampled row always does.
void MotionRow32Sse2(const TMotionRowJob &job);
void MotionRow32Avx2(const TMotionRowJob &job);
#endif
// The kernel for 32-bit frames sampled at every pixel, as chosen at run time (SetMotionKernel).
TMotionRowKernel MotionRow32Kernel();
// Pixels past the end of a run that the vector kernels may read.
constexpr int MotionKernelOverreadPixels = 7;
