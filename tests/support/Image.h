// Pixel images for comparing what was drawn, and PNG output so that a person can look at them.
#pragma once

#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qev::test
{

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB

    Image() = default;
    Image(int w, int h, uint32_t fill = 0)
        : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill)
    {
    }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Image& o) const
    {
        return width == o.width && height == o.height && pixels == o.pixels;
    }
};

// A copy of a bitmap's pixels (empty for a handle that is not a bitmap).
Image imageOf(HBITMAP bitmap);

bool writePng(const std::string& path, const Image& image);

// Where failing comparisons and snapshots are written: "failures/" below the working directory.
std::string failureDirectory();

// Equal images pass; otherwise both are written as <name>.actual.png and <name>.expected.png.
::testing::AssertionResult sameImage(const Image& actual, const Image& expected,
                                     const std::string& name);

// The smallest box holding every pixel that differs from `background`; empty when none does.
RECT inkBox(const Image& image, uint32_t background);

} // namespace qev::test
