// Raster operations on 24-bit pixel values. Internal to platform/.
#pragma once

#include <cstdint>

#pragma GCC visibility push(hidden)

namespace qev::platform
{

// Binary raster operation (R2_BLACK .. R2_WHITE): code - 1 is the truth table over (pen, dest),
// bit index pen * 2 + dest.
inline uint32_t applyRop2(int rop2, uint32_t pen, uint32_t dest)
{
    switch (rop2)
    {
    case 13: // R2_COPYPEN, by far the commonest
        return pen;
    case 15: // R2_MERGEPEN
        return (pen | dest) & 0xFFFFFFu;
    case 10: // R2_NOTXORPEN
        return ~(pen ^ dest) & 0xFFFFFFu;
    default:
        break;
    }
    const unsigned table = static_cast<unsigned>(rop2 - 1);
    uint32_t r = 0;
    if (table & 1)
        r |= ~pen & ~dest;
    if (table & 2)
        r |= ~pen & dest;
    if (table & 4)
        r |= pen & ~dest;
    if (table & 8)
        r |= pen & dest;
    return r & 0xFFFFFFu;
}

// Ternary raster operation: bits 16..23 of the code are the truth table over (pattern, source,
// dest), bit index pattern * 4 + source * 2 + dest.
inline uint32_t applyRop3(uint32_t rop, uint32_t pat, uint32_t src, uint32_t dest)
{
    const unsigned table = (rop >> 16) & 0xFF;
    switch (table)
    {
    case 0xCC:
        return src;
    case 0x88:
        return src & dest;
    case 0x66:
        return src ^ dest;
    case 0xEE:
        return src | dest;
    default:
        break;
    }
    uint32_t r = 0;
    for (unsigned i = 0; i < 8; ++i)
    {
        if (!(table & (1u << i)))
            continue;
        const uint32_t p = (i & 4) ? pat : ~pat;
        const uint32_t s = (i & 2) ? src : ~src;
        const uint32_t d = (i & 1) ? dest : ~dest;
        r |= p & s & d;
    }
    return r & 0xFFFFFFu;
}

inline bool ropUsesSource(uint32_t rop)
{
    const unsigned t = (rop >> 16) & 0xFF;
    return ((t >> 2) & 0x33) != (t & 0x33);
}

} // namespace qev::platform

#pragma GCC visibility pop
