// The stages' Avx path: all eight lanes in one AVX register, stepped by the same runGroup and
// stepGroup as the other paths. Built with -mavx and called only where the processor has AVX.
//
// WideLanes and its operations live in an anonymous namespace, so every template this file
// instantiates with them (runGroup, stepGroup, saturate, ...) has internal linkage: no
// AVX-encoded copy of a function the other files share can take the place of theirs at link
// time. Nothing here calls the SSE lanes' inline functions for the same reason.

#include "engine/PhaserStages.h"

#include <immintrin.h>

namespace qev
{
namespace
{

// Eight floats in one AVX register, with the operations of FloatLanes: each the IEEE
// single-precision operation of every lane on its own, as the scalar code does it.
struct WideLanes
{
    static constexpr int kWidth = 8;

    __m256 v;

    WideLanes() = default;
    WideLanes(__m256 lanes) : v(lanes) {}
    WideLanes(float x) : v(_mm256_set1_ps(x)) {}

    // All eight lanes (count must be 8) from or to p.
    static WideLanes loadFirst(const float* p, int) { return {_mm256_loadu_ps(p)}; }
    void storeFirst(float* p, int) const { _mm256_storeu_ps(p, v); }
    unsigned bits() const { return static_cast<unsigned>(_mm256_movemask_ps(v)); }
};

WideLanes operator+(WideLanes a, WideLanes b)
{
    return {_mm256_add_ps(a.v, b.v)};
}
WideLanes operator-(WideLanes a, WideLanes b)
{
    return {_mm256_sub_ps(a.v, b.v)};
}
WideLanes operator*(WideLanes a, WideLanes b)
{
    return {_mm256_mul_ps(a.v, b.v)};
}
WideLanes operator/(WideLanes a, WideLanes b)
{
    return {_mm256_div_ps(a.v, b.v)};
}
WideLanes operator&(WideLanes a, WideLanes b)
{
    return {_mm256_and_ps(a.v, b.v)};
}

// The ordered, quiet comparisons SSE's cmpltps, cmpgeps and cmpnleps make.
WideLanes lessThan(WideLanes a, WideLanes b)
{
    return {_mm256_cmp_ps(a.v, b.v, _CMP_LT_OS)};
}
WideLanes greaterThan(WideLanes a, WideLanes b)
{
    return {_mm256_cmp_ps(a.v, b.v, _CMP_GT_OS)};
}
WideLanes atLeast(WideLanes a, WideLanes b)
{
    return {_mm256_cmp_ps(a.v, b.v, _CMP_GE_OS)};
}
WideLanes notAtMost(WideLanes a, WideLanes b)
{
    return {_mm256_cmp_ps(a.v, b.v, _CMP_NLE_US)};
}

WideLanes select(WideLanes mask, WideLanes a, WideLanes b)
{
    return {_mm256_or_ps(_mm256_and_ps(mask.v, a.v), _mm256_andnot_ps(mask.v, b.v))};
}
WideLanes zeroWhere(WideLanes mask, WideLanes a)
{
    return {_mm256_andnot_ps(mask.v, a.v)};
}
WideLanes abs(WideLanes a)
{
    return {_mm256_andnot_ps(_mm256_set1_ps(-0.0f), a.v)};
}
WideLanes clampOrLow(WideLanes value, WideLanes low, WideLanes high)
{
    return {_mm256_min_ps(_mm256_max_ps(value.v, low.v), high.v)};
}
WideLanes valueIfPositive(WideLanes x, WideLanes value)
{
    return greaterThan(x, WideLanes{_mm256_setzero_ps()}) & value;
}
WideLanes negatedIfNegative(WideLanes value, WideLanes x)
{
    const WideLanes sign = lessThan(x, WideLanes{_mm256_setzero_ps()}) & WideLanes(-0.0f);
    return {_mm256_xor_ps(value.v, sign.v)};
}

WideLanes interpolate(const float* table, WideLanes position)
{
    const __m256i whole = _mm256_cvttps_epi32(position.v);
    const WideLanes fraction = position - WideLanes{_mm256_cvtepi32_ps(whole)};
    alignas(32) int n[WideLanes::kWidth];
    _mm256_store_si256(reinterpret_cast<__m256i*>(n), whole);
    const WideLanes low{_mm256_setr_ps(table[n[0]], table[n[1]], table[n[2]], table[n[3]],
                                       table[n[4]], table[n[5]], table[n[6]], table[n[7]])};
    const WideLanes high{_mm256_setr_ps(table[n[0] + 1], table[n[1] + 1], table[n[2] + 1],
                                        table[n[3] + 1], table[n[4] + 1], table[n[5] + 1],
                                        table[n[6] + 1], table[n[7] + 1])};
    return low * (1.0f - fraction) + high * fraction;
}

void stageLaneInputs(const float (&input)[2], const float (&b)[PhaserStages::kLanes],
                     WideLanes& lanesIn, WideLanes& lanesB)
{
    // Stage 1 hears half the input, stage 2 half of that, stage 3 half of that again, the
    // spares silence: x * 0.5 * 1 is x * 0.5 to the bit, and 0 * 0.5 is 0.
    const __m128 pair = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(input)));
    const __m128 twice = _mm_movelh_ps(pair, pair);
    const __m128 spare = _mm_setzero_ps();
    const WideLanes channels{_mm256_set_m128(_mm_movelh_ps(pair, spare), twice)};
    lanesIn = channels * 0.5f * WideLanes{_mm256_setr_ps(1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 1, 1)} *
              WideLanes{_mm256_setr_ps(1, 1, 1, 1, 0.5f, 0.5f, 1, 1)};
    const __m128 spares = _mm_set1_ps(PhaserStages::kSpareFrequency);
    const __m128 third = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(b + 4)));
    lanesB = {_mm256_set_m128(_mm_movelh_ps(third, spares), _mm_loadu_ps(b))};
}

template <int kWidth> void stageSums(WideLanes output, float (&sums)[2])
{
    static_assert(kWidth == 8, "the wide lanes hold all stages");
    const __m128 low = _mm256_castps256_ps128(output.v);
    const __m128 high = _mm256_extractf128_ps(output.v, 1);
    const __m128 sum = _mm_add_ps(_mm_add_ps(low, _mm_movehl_ps(low, low)), high);
    _mm_storel_pi(reinterpret_cast<__m64*>(sums), sum);
}

} // namespace

void PhaserStages::runWide(int frames, const float (*input)[2], const float (*b)[kLanes], float k,
                           float (*out)[2], unsigned* frameRestartedLanes)
{
    runGroup<WideLanes, 8>(frames, input, b, k, out, frameRestartedLanes);
}

} // namespace qev
