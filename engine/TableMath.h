#pragma once

#include <cmath>

namespace qev
{

// The functions the engine's tables are built from, each giving the correctly rounded
// single-precision value at a float argument. The C library's float functions miss that value
// for about one table entry in a thousand, and differently on each platform, which would make a
// saved project sound different from system to system. Evaluating in double and rounding once
// gives the correctly rounded float for every entry the engine builds (sample rates 8 kHz to
// 384 kHz), identically wherever the double functions are faithful. Used at table construction
// only, never per sample.
namespace tablemath
{

inline float sin(float x)
{
    return static_cast<float>(std::sin(static_cast<double>(x)));
}
inline float cos(float x)
{
    return static_cast<float>(std::cos(static_cast<double>(x)));
}
inline float atan(float x)
{
    return static_cast<float>(std::atan(static_cast<double>(x)));
}
inline float exp(float x)
{
    return static_cast<float>(std::exp(static_cast<double>(x)));
}
inline float log(float x)
{
    return static_cast<float>(std::log(static_cast<double>(x)));
}

} // namespace tablemath
} // namespace qev
