// The run-time choice of the row kernel for 32-bit frames.
#include "capture/motionanalysis.h"

#include <atomic>

static bool KernelSupported(TMotionKernelChoice choice)
{
#if OSTRIVO_MOTION_X86
    return choice != TMotionKernelChoice::Avx2 || __builtin_cpu_supports("avx2");
#else
    return choice == TMotionKernelChoice::Automatic || choice == TMotionKernelChoice::Scalar;
#endif
}

static TMotionKernelChoice ResolveKernel(TMotionKernelChoice choice)
{
    if (choice != TMotionKernelChoice::Automatic)
        return choice;
#if OSTRIVO_MOTION_X86
    return KernelSupported(TMotionKernelChoice::Avx2) ? TMotionKernelChoice::Avx2 : TMotionKernelChoice::Sse2;
#else
    return TMotionKernelChoice::Scalar;
#endif
}

static std::atomic<TMotionKernelChoice> ActiveKernel{ResolveKernel(TMotionKernelChoice::Automatic)};

bool SetMotionKernel(TMotionKernelChoice choice)
{
    if (!KernelSupported(choice))
        return false;
    ActiveKernel = ResolveKernel(choice);
    return true;
}

TMotionKernelChoice ActiveMotionKernel() { return ActiveKernel; }

TMotionRowKernel MotionRow32Kernel()
{
#if OSTRIVO_MOTION_X86
    switch (ActiveKernel.load(std::memory_order_relaxed)) {
    case TMotionKernelChoice::Avx2: return MotionRow32Avx2;
    case TMotionKernelChoice::Scalar: return MotionRowScalar;
    default: return MotionRow32Sse2;
    }
#else
    return MotionRowScalar;
#endif
}
