#pragma once

#include <cstdint>

namespace toolkit
{

// Mouse buttons and modifier keys, as getMouseButtons reports them and mouse handlers receive them.
enum : int32_t
{
    kLButton = 1,
    kMButton = 2,
    kRButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
    kExtraModifier = 64, // never reported on the platforms supported here
};

// Passed as the buttons of a mouse call: not known, ask the drawing context.
inline constexpr int32_t kButtonsNotGiven = -1;

} // namespace toolkit
