#pragma once

// Floats side by side in SSE registers, for code that runs the same float operations on
// independent data: FloatLanes holds four in one register, FloatLanePair eight in two. Every
// arithmetic operation is the IEEE single-precision operation of each lane on its own, with
// the rounding mode of the scalar code: a lane gives the same bits as the scalar expression it
// mirrors. Nothing here fuses, approximates or reorders.
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

    static FloatLanes of(float a, float b, float c, float d) { return {_mm_setr_ps(a, b, c, d)}; }
    // The first `count` lanes, 2 or 4, from or to p (16-byte aligned); loading two zeroes the
    // others, storing two leaves the floats after them in memory as they are.
    static FloatLanes loadFirst(const float* p, int count)
    {
        if (count == 2)
            return {_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(p)))};
        return {_mm_load_ps(p)};
    }
    void storeFirst(float* p, int count) const
    {
        if (count == 2)
            _mm_storel_pi(reinterpret_cast<__m64*>(p), v);
        else
            _mm_store_ps(p, v);
    }

    // Four floats from p, 16-byte aligned, or to p.
    static FloatLanes load(const float* p) { return {_mm_load_ps(p)}; }
    void store(float* p) const { _mm_store_ps(p, v); }
    // Four floats from p, any alignment.
    static FloatLanes loadUnaligned(const float* p) { return {_mm_loadu_ps(p)}; }
    // Two floats from p, any alignment, in lanes 0 and 1 and again in lanes 2 and 3.
    static FloatLanes pairTwice(const float* p)
    {
        const __m128 pair = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(p)));
        return {_mm_movelh_ps(pair, pair)};
    }
    // Lanes 0 and 1 of a, then lanes 0 and 1 of b.
    static FloatLanes lowHalves(FloatLanes a, FloatLanes b) { return {_mm_movelh_ps(a.v, b.v)}; }
    // Lanes 0 and 1 to p, any alignment.
    void storePair(float* p) const { _mm_storel_pi(reinterpret_cast<__m64*>(p), v); }

    // Bit i set where lane i of the mask is true.
    unsigned bits() const { return static_cast<unsigned>(_mm_movemask_ps(v)); }
    // Lanes 2 and 3 moved to lanes 0 and 1 (and kept in 2 and 3).
    FloatLanes upperHalf() const { return {_mm_movehl_ps(v, v)}; }
    float lane0() const { return _mm_cvtss_f32(v); }
    float lane1() const { return _mm_cvtss_f32(_mm_shuffle_ps(v, v, 1)); }
};

inline FloatLanes operator+(FloatLanes a, FloatLanes b)
{
    return {_mm_add_ps(a.v, b.v)};
}
inline FloatLanes operator-(FloatLanes a, FloatLanes b)
{
    return {_mm_sub_ps(a.v, b.v)};
}
inline FloatLanes operator*(FloatLanes a, FloatLanes b)
{
    return {_mm_mul_ps(a.v, b.v)};
}
inline FloatLanes operator/(FloatLanes a, FloatLanes b)
{
    return {_mm_div_ps(a.v, b.v)};
}
inline FloatLanes operator&(FloatLanes a, FloatLanes b)
{
    return {_mm_and_ps(a.v, b.v)};
}

inline FloatLanes lessThan(FloatLanes a, FloatLanes b)
{
    return {_mm_cmplt_ps(a.v, b.v)};
}
inline FloatLanes greaterThan(FloatLanes a, FloatLanes b)
{
    return {_mm_cmpgt_ps(a.v, b.v)};
}
inline FloatLanes atLeast(FloatLanes a, FloatLanes b)
{
    return {_mm_cmpge_ps(a.v, b.v)};
}
// !(a <= b): true where a is greater or either is NaN.
inline FloatLanes notAtMost(FloatLanes a, FloatLanes b)
{
    return {_mm_cmpnle_ps(a.v, b.v)};
}

// lesser lane by lane: a < b ? a : b (minps answers its second operand when either is NaN).
inline FloatLanes lesser(FloatLanes a, FloatLanes b)
{
    return {_mm_min_ps(a.v, b.v)};
}

// mask ? a : b, lane by lane.
inline FloatLanes select(FloatLanes mask, FloatLanes a, FloatLanes b)
{
    return {_mm_or_ps(_mm_and_ps(mask.v, a.v), _mm_andnot_ps(mask.v, b.v))};
}
// mask ? 0 : a, lane by lane.
inline FloatLanes zeroWhere(FloatLanes mask, FloatLanes a)
{
    return {_mm_andnot_ps(mask.v, a.v)};
}

inline FloatLanes abs(FloatLanes a)
{
    return {_mm_andnot_ps(_mm_set1_ps(-0.0f), a.v)};
}

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
    const FloatLanes sign = lessThan(x, FloatLanes{_mm_setzero_ps()}) & FloatLanes(-0.0f);
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
    return low * (1.0f - fraction) + high * fraction;
}

// Eight lanes in two registers, the first four in `low`. Each operation runs on both halves
// one after the other, so two independent chains of operations advance together.
struct FloatLanePair
{
    static constexpr int kWidth = 8;

    FloatLanes low, high;

    FloatLanePair() = default;
    FloatLanePair(FloatLanes low, FloatLanes high) : low(low), high(high) {}
    FloatLanePair(float x) : low(x), high(x) {}

    // All eight lanes (count must be 8) from or to p, 16-byte aligned.
    static FloatLanePair loadFirst(const float* p, int)
    {
        return {FloatLanes::loadFirst(p, 4), FloatLanes::loadFirst(p + 4, 4)};
    }
    void storeFirst(float* p, int) const
    {
        low.storeFirst(p, 4);
        high.storeFirst(p + 4, 4);
    }
    unsigned bits() const { return low.bits() | high.bits() << 4; }
};

#define QEV_LANE_PAIR_OPERATION(name, op)                                                          \
    inline FloatLanePair name(FloatLanePair a, FloatLanePair b)                                    \
    {                                                                                              \
        return {op(a.low, b.low), op(a.high, b.high)};                                             \
    }

QEV_LANE_PAIR_OPERATION(operator+, operator+)
QEV_LANE_PAIR_OPERATION(operator-, operator-)
QEV_LANE_PAIR_OPERATION(operator*, operator*)
QEV_LANE_PAIR_OPERATION(operator/, operator/)
QEV_LANE_PAIR_OPERATION(operator&, operator&)
QEV_LANE_PAIR_OPERATION(lessThan, lessThan)
QEV_LANE_PAIR_OPERATION(greaterThan, greaterThan)
QEV_LANE_PAIR_OPERATION(atLeast, atLeast)
QEV_LANE_PAIR_OPERATION(notAtMost, notAtMost)
QEV_LANE_PAIR_OPERATION(zeroWhere, zeroWhere)
QEV_LANE_PAIR_OPERATION(valueIfPositive, valueIfPositive)
QEV_LANE_PAIR_OPERATION(negatedIfNegative, negatedIfNegative)

#undef QEV_LANE_PAIR_OPERATION

inline FloatLanePair select(FloatLanePair mask, FloatLanePair a, FloatLanePair b)
{
    return {select(mask.low, a.low, b.low), select(mask.high, a.high, b.high)};
}
inline FloatLanePair abs(FloatLanePair a)
{
    return {abs(a.low), abs(a.high)};
}
inline FloatLanePair clampOrLow(FloatLanePair value, FloatLanePair low, FloatLanePair high)
{
    return {clampOrLow(value.low, low.low, high.low), clampOrLow(value.high, low.high, high.high)};
}
inline FloatLanePair interpolate(const float* table, FloatLanePair position)
{
    return {interpolate(table, position.low), interpolate(table, position.high)};
}

} // namespace qev
