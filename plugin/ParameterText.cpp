#include "plugin/ParameterText.h"

#include "engine/EngineParams.h"
#include "plugin/VstInterface.h"

#include <cstdio>
#include <cstring>

namespace qev
{
namespace
{

constexpr int kMaxChars = kVstMaxParamStrLen - 1;

const char* const kSyncMenu[] = {"man",   "1/16", "1/8",  "1/4",  "1/2",  "1/1", "2/1",
                                 "1/16T", "1/8T", "1/4T", "1/2T", "1/1T", "2/1T"};
constexpr int kLastSyncEntry = 12;
const char* const kStageMenu[] = {"2", "4", "6"};

// The engine's reading of SYNC_SPEED: free running below 1, the whole part up to 12.
int syncEntry(float value)
{
    if (!(value >= 1.0f))
        return 0;
    return value < static_cast<float>(kLastSyncEntry) ? static_cast<int>(value) : kLastSyncEntry;
}

// The engine's reading of TYPE: it compares, never converts.
int stageEntry(float value)
{
    return value >= 2.0f ? 2 : value > 0.0f ? 1 : 0;
}

// snprintf with a format of one float; true when the whole text fitted.
bool formatFits(char* text, const char* format, int precision, float value)
{
    char wide[64];
    const int length = std::snprintf(wide, sizeof wide, format, precision, value);
    if (length < 0 || length > kMaxChars)
        return false;
    std::memcpy(text, wide, static_cast<size_t>(length) + 1);
    return true;
}

void formatNumber(float value, char* text)
{
    if (formatFits(text, "%.*f", 3, value))
        return;
    for (int digits = 4; digits >= 1; --digits)
        if (formatFits(text, "%.*g", digits, value))
            return;
    std::strcpy(text, "?"); // unreachable: "%.1g" of a float is at most "-1e-45"
}

} // namespace

void formatParameterValue(int index, float value, char* text)
{
    if (index == kParamSyncSpeed)
        std::strcpy(text, kSyncMenu[syncEntry(value)]);
    else if (index == kParamType)
        std::strcpy(text, kStageMenu[stageEntry(value)]);
    else
        formatNumber(value, text);
}

} // namespace qev
