// Turning floats into pixel positions, frame offsets and indexes. A host or a saved state can send
// any float, NaN and infinities included, and converting a float outside the integer range is
// undefined behaviour: every such conversion in the toolkit goes through here.
#pragma once

#include <cstdint>

namespace toolkit
{

// `x` truncated toward zero and clamped to [minimum, maximum]; `ifNaN` for a NaN. The range is
// checked on the float before it is converted.
inline int32_t truncateInRange(float x, int32_t minimum, int32_t maximum, int32_t ifNaN)
{
    if (x != x)
        return ifNaN;
    if (!(x > static_cast<float>(minimum)))
        return minimum;
    if (!(x < static_cast<float>(maximum)))
        return maximum;
    const int32_t t = static_cast<int32_t>(x);
    return t < minimum ? minimum : t > maximum ? maximum : t;
}

} // namespace toolkit
