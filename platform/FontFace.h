// A face at one size, found through fontconfig and rasterised by FreeType, with its glyphs cached.
// Internal to platform/.
#pragma once

#include "platform/Win32.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#pragma GCC visibility push(hidden)

namespace qev::platform
{

struct Glyph
{
    bool ready = false;
    int left = 0; // ink box relative to the pen position on the baseline, y growing upward
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0; // whole pixels: what is measured is exactly what is drawn
    std::vector<uint8_t> coverage;
};

class FontFace
{
public:
    // The face for a font record; the same record always answers the same cached face. Null only
    // when no face at all can be found on the system.
    static std::shared_ptr<FontFace> forFont(const LOGFONTA& log);

    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    int height() const { return ascent_ + descent_; }
    int underlineOffset() const { return underlineOffset_; } // below the baseline
    int underlineThickness() const { return underlineThickness_; }

    const Glyph& glyph(unsigned char c);
    int measure(const char* text, int count);

private:
    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> impl_;
    int ascent_ = 0;
    int descent_ = 0;
    int underlineOffset_ = 1;
    int underlineThickness_ = 1;
    std::array<Glyph, 256> glyphs_;
};

} // namespace qev::platform

#pragma GCC visibility pop
