#pragma once

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

} // namespace qev
