// The numbers callers pass to the drawing context, and the table of standard fonts.
#pragma once

#include <cstdint>

namespace toolkit
{

enum : int32_t
{
    kDrawStroked = 0,
    kDrawFilled = 1,
    kDrawFilledAndStroked = 2,
};

enum : int32_t
{
    kLineSolid = 0,
    kLineOnOffDash = 1,
};

enum : int32_t
{
    kCopyMode = 0,
    kOrMode = 1,
    kXorMode = 2,
};

enum : int32_t
{
    kLeftText = 0,
    kCenterText = 1,
    kRightText = 2,
};

enum : int32_t
{
    kNormalFace = 0,
    kBoldFace = 1,
    kItalicFace = 2,
    kUnderlineFace = 4,
};

enum : int32_t
{
    kSystemFont = 0, // always bold
    kNormalFontVeryBig = 1,
    kNormalFontBig = 2,
    kNormalFont = 3,
    kNormalFontSmall = 4,
    kNormalFontSmaller = 5,
    kNormalFontVerySmall = 6,
    kSymbolFont = 7,
    kNumStandardFonts = 8, // any other id means kSystemFont
};

struct StandardFont
{
    const char* face;
    int32_t size; // pixels
};

inline constexpr StandardFont kStandardFonts[kNumStandardFonts] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};

} // namespace toolkit
