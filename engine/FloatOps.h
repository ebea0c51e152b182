#pragma once

// Branch-free float selections for the per-sample code. The signal's sign is unpredictable,
// so a branch on it would be mispredicted half the time; these compile to a few SSE
// instructions that stay in the vector registers (a round trip through the integer registers
// would lengthen the stages' feedback chains). Each gives exactly the value of the plain
// expression in its comment.

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QEV_FLOAT_OPS_SSE 1
#endif

namespace qev
{

// value > low ? (value < high ? value : high) : low, for low <= high: NaN gives low. Values
// inside the range pass unchanged, so guarding a parameter never alters an in-range result.
inline float clampOrLow(float value, float low, float high)
{
#ifdef QEV_FLOAT_OPS_SSE
    // maxss answers its second operand when either is NaN.
    const __m128 raised = _mm_max_ss(_mm_set1_ps(value), _mm_set1_ps(low));
    return _mm_cvtss_f32(_mm_min_ss(raised, _mm_set1_ps(high)));
#else
    const float raised = value > low ? value : low;
    return raised < high ? raised : high;
#endif
}

// a < b ? a : b
inline float lesser(float a, float b)
{
    return a < b ? a : b;
}

// x > 0 ? value : +0.0
inline float valueIfPositive(float x, float value)
{
#ifdef QEV_FLOAT_OPS_SSE
    const __m128 positive = _mm_cmpgt_ss(_mm_set1_ps(x), _mm_setzero_ps());
    return _mm_cvtss_f32(_mm_and_ps(positive, _mm_set1_ps(value)));
#else
    return x > 0.0f ? value : 0.0f;
#endif
}

// x < 0 ? -value : value (x = 0 and x = -0 count as positive)
inline float negatedIfNegative(float value, float x)
{
#ifdef QEV_FLOAT_OPS_SSE
    const __m128 negative = _mm_cmplt_ss(_mm_set1_ps(x), _mm_setzero_ps());
    const __m128 sign = _mm_and_ps(negative, _mm_set1_ps(-0.0f));
    return _mm_cvtss_f32(_mm_xor_ps(_mm_set1_ps(value), sign));
#else
    return x < 0.0f ? -value : value;
#endif
}

} // namespace qev
