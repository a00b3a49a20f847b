// Whether the SSE2 paths are built: on x86-64 always, on x86 when the compiler targets SSE2.
// VAM_NO_SIMD builds the portable paths on any machine, so they can be tested too.
#pragma once

#if (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)) && \
    !defined(VAM_NO_SIMD)
#include <emmintrin.h>
#define VAM_SSE2 1
#else
#define VAM_SSE2 0
#endif
