#pragma once

// Four floats side by side in one SSE register, for code that runs the same float operations
// on independent data. Every arithmetic operation is the IEEE single-precision operation of
// each lane on its own, with the rounding mode of the scalar code: a lane gives the same bits
// as the scalar expression it mirrors. Nothing here fuses, approximates or reorders.
//
// Comparisons answer masks: lanes of all ones where true, all zeros where false. SSE2 is part
// of every x86-64 processor, so this code runs wherever the module loads.

#if !(defined(__SSE2__) || defined(_M_X64))
#error "the engine's lanes need SSE2"
#endif

#include <emmintrin.h>

namespace qev
{

struct FloatLanes
{
    static constexpr int kWidth = 4;

    __m128 v;

    FloatLanes() = default;
    FloatLanes(__m128 lanes) : v(lanes) {}
    // Every lane x: lets a constant stand beside lanes as it stands beside a float.
    FloatLanes(float x) : v(_mm_set1_ps(x)) {}

    static FloatLanes splat(float x) { return {_mm_set1_ps(x)}; }
    static FloatLanes of(float a, float b, float c, float d) { return {_mm_setr_ps(a, b, c, d)}; }
    static FloatLanes load(const float* p) { return {_mm_load_ps(p)}; } // 16-byte aligned
    void store(float* p) const { _mm_store_ps(p, v); }                  // 16-byte aligned

    // Mask of the lanes whose bit is set in bits (bit i for lane i).
    static FloatLanes maskOf(unsigned bits)
    {
        const __m128i lanes = _mm_setr_epi32(1, 2, 4, 8);
        const __m128i set = _mm_and_si128(_mm_set1_epi32(static_cast<int>(bits)), lanes);
        return {_mm_castsi128_ps(_mm_cmpeq_epi32(set, lanes))};
    }
    // Bit i set where lane i of the mask is true.
    unsigned bits() const { return static_cast<unsigned>(_mm_movemask_ps(v)); }
    // Lanes 2 and 3 moved to lanes 0 and 1 (and kept in 2 and 3).
    FloatLanes upperHalf() const { return {_mm_movehl_ps(v, v)}; }
    float lane0() const { return _mm_cvtss_f32(v); }
    float lane1() const { return _mm_cvtss_f32(_mm_shuffle_ps(v, v, 1)); }
};

inline FloatLanes operator+(FloatLanes a, FloatLanes b) { return {_mm_add_ps(a.v, b.v)}; }
inline FloatLanes operator-(FloatLanes a, FloatLanes b) { return {_mm_sub_ps(a.v, b.v)}; }
inline FloatLanes operator*(FloatLanes a, FloatLanes b) { return {_mm_mul_ps(a.v, b.v)}; }
inline FloatLanes operator/(FloatLanes a, FloatLanes b) { return {_mm_div_ps(a.v, b.v)}; }
inline FloatLanes operator&(FloatLanes a, FloatLanes b) { return {_mm_and_ps(a.v, b.v)}; }
inline FloatLanes operator|(FloatLanes a, FloatLanes b) { return {_mm_or_ps(a.v, b.v)}; }
// a & ~b
inline FloatLanes andNot(FloatLanes a, FloatLanes b) { return {_mm_andnot_ps(b.v, a.v)}; }

inline FloatLanes lessThan(FloatLanes a, FloatLanes b) { return {_mm_cmplt_ps(a.v, b.v)}; }
inline FloatLanes greaterThan(FloatLanes a, FloatLanes b) { return {_mm_cmpgt_ps(a.v, b.v)}; }
inline FloatLanes atLeast(FloatLanes a, FloatLanes b) { return {_mm_cmpge_ps(a.v, b.v)}; }
// !(a <= b): true where a is greater or either is NaN.
inline FloatLanes notAtMost(FloatLanes a, FloatLanes b) { return {_mm_cmpnle_ps(a.v, b.v)}; }

// mask ? a : b, lane by lane.
inline FloatLanes select(FloatLanes mask, FloatLanes a, FloatLanes b)
{
    return {_mm_or_ps(_mm_and_ps(mask.v, a.v), _mm_andnot_ps(mask.v, b.v))};
}
// mask ? 0 : a, lane by lane.
inline FloatLanes zeroWhere(FloatLanes mask, FloatLanes a) { return {_mm_andnot_ps(mask.v, a.v)}; }

inline FloatLanes abs(FloatLanes a) { return {_mm_andnot_ps(_mm_set1_ps(-0.0f), a.v)}; }

// clampOrLow lane by lane: low where the value is NaN (maxps answers its second operand then).
inline FloatLanes clampOrLow(FloatLanes value, FloatLanes low, FloatLanes high)
{
    return {_mm_min_ps(_mm_max_ps(value.v, low.v), high.v)};
}

// valueIfPositive lane by lane: x > 0 ? value : +0.0.
inline FloatLanes valueIfPositive(FloatLanes x, FloatLanes value)
{
    return greaterThan(x, FloatLanes{_mm_setzero_ps()}) & value;
}

// negatedIfNegative lane by lane: x < 0 ? -value : value.
inline FloatLanes negatedIfNegative(FloatLanes value, FloatLanes x)
{
    const FloatLanes sign = lessThan(x, FloatLanes{_mm_setzero_ps()}) & FloatLanes::splat(-0.0f);
    return {_mm_xor_ps(value.v, sign.v)};
}

// Linear interpolation in a table at four positions, as interpolate() does at each: the
// caller keeps every position within [0, size - 2].
inline FloatLanes interpolate(const float* table, FloatLanes position)
{
    const __m128i whole = _mm_cvttps_epi32(position.v);
    const FloatLanes fraction = position - FloatLanes{_mm_cvtepi32_ps(whole)};
    alignas(16) int n[FloatLanes::kWidth];
    _mm_store_si128(reinterpret_cast<__m128i*>(n), whole);
    const FloatLanes low = FloatLanes::of(table[n[0]], table[n[1]], table[n[2]], table[n[3]]);
    const FloatLanes high =
        FloatLanes::of(table[n[0] + 1], table[n[1] + 1], table[n[2] + 1], table[n[3] + 1]);
    return low * (FloatLanes::splat(1.0f) - fraction) + high * fraction;
}

} // namespace qev
