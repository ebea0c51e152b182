#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace qev
{

// Linear interpolation in a table at a position p >= 0: entries n = trunc(p) and n + 1,
// weighted by the fraction p - n. For p >= 0 truncation equals floor, so a float-to-int
// conversion serves as the floor and no library call is made per sample. The caller keeps
// p within [0, size - 2] so that both entries lie inside the table.
inline float interpolate(const float* table, float position)
{
    const int n = static_cast<int>(position);
    const float fraction = position - static_cast<float>(n);
    return table[n] * (1.0f - fraction) + table[n + 1] * fraction;
}

// Limits a value to [low, high]; NaN gives low. Values inside the range pass unchanged, so
// guarding a parameter never alters an in-range result.
inline float clampOrLow(float value, float low, float high)
{
#if defined(__SSE2__) || defined(_M_X64)
    // maxss answers its second operand when either is NaN: branch-free and NaN-safe.
    const __m128 raised = _mm_max_ss(_mm_set_ss(value), _mm_set_ss(low));
    return _mm_cvtss_f32(_mm_min_ss(raised, _mm_set_ss(high)));
#else
    const float raised = value > low ? value : low;
    return raised < high ? raised : high;
#endif
}

} // namespace qev
