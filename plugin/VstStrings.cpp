#include "VstStrings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

char* vst_strncpy(char* dst, const char* src, VstInt32 maxLen)
{
    if (!dst || maxLen < 0)
        return dst;
    std::strncpy(dst, src ? src : "", static_cast<std::size_t>(maxLen));
    dst[maxLen] = 0;
    return dst;
}

char* vst_strncat(char* dst, const char* src, VstInt32 maxLen)
{
    if (!dst || maxLen < 0)
        return dst;
    // Appending at most maxLen characters after an existing text could run past the buffer of
    // maxLen + 1 bytes; the room left is what bounds the append.
    const auto room = static_cast<std::size_t>(maxLen);
    const void* end = std::memchr(dst, 0, room);
    std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - dst) : room;
    if (src)
    {
        while (length < room && *src)
            dst[length++] = *src++;
    }
    dst[length] = 0;
    dst[maxLen] = 0;
    return dst;
}

namespace qev
{
namespace
{

constexpr int kFloatBudget = 8;
constexpr char kHuge[] = "Huge!";

// Writes the integer part right to left into the end of scratch, returns its first character.
char* writeIntegerPart(double magnitude, bool negative, char* end, int& count)
{
    char* p = end;
    *--p = 0;
    *--p = '.';
    ++count;
    auto whole = static_cast<std::int64_t>(std::floor(magnitude));
    do
    {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
        ++count;
    } while (whole >= 1);
    if (negative)
        *--p = '-';
    return p;
}

// Writes `digits` fraction digits of magnitude right to left, truncated, not rounded.
void writeFraction(double magnitude, int digits, char* out)
{
    double fraction = std::fmod(magnitude, 1.0) * std::pow(10.0, digits);
    out[digits] = 0;
    for (int i = digits - 1; i >= 0; --i)
    {
        if (fraction <= 0.0)
        {
            out[i] = '0';
            continue;
        }
        out[i] = static_cast<char>('0' + static_cast<int>(std::fmod(fraction, 10.0)));
        fraction /= 10.0;
    }
}

} // namespace

void formatFloat(float value, char* text, VstInt32 maxLen)
{
    double v = value;
    if (std::isnan(v))
    {
        vst_strncpy(text, "NaN", maxLen);
        return;
    }
    const bool negative = v < 0.0;
    int count = 0;
    if (negative)
    {
        v = -v;
        count = 1;
    }
    if (v > (negative ? 9999999.0 : 99999999.0))
    {
        vst_strncpy(text, kHuge, maxLen);
        return;
    }
    char scratch[32];
    vst_strncpy(text, writeIntegerPart(v, negative, scratch + sizeof scratch, count), maxLen);
    if (count < kFloatBudget)
    {
        char fraction[kFloatBudget + 1];
        writeFraction(v, kFloatBudget - count, fraction);
        vst_strncat(text, fraction, maxLen);
    }
}

void formatInt(VstInt32 value, char* text, VstInt32 maxLen)
{
    // Widened so that the most negative value has a magnitude too.
    std::int64_t magnitude = value;
    if (magnitude >= 100000000 || magnitude <= -100000000)
    {
        vst_strncpy(text, kHuge, maxLen);
        return;
    }
    char digits[16];
    int n = 0;
    if (magnitude < 0)
    {
        digits[n++] = '-';
        magnitude = -magnitude;
    }
    bool started = false;
    for (std::int64_t divisor = 100000000; divisor >= 1; divisor /= 10)
    {
        const std::int64_t digit = magnitude / divisor;
        magnitude -= digit * divisor;
        started = started || digit != 0;
        if (started)
            digits[n++] = static_cast<char>('0' + digit);
    }
    if (!started)
        digits[n++] = '0';
    digits[n] = 0;
    vst_strncpy(text, digits, maxLen);
}

void formatDecibels(float value, char* text, VstInt32 maxLen)
{
    if (value > 0.0f)
        formatFloat(20.0f * std::log10(value), text, maxLen);
    else
        vst_strncpy(text, "-oo", maxLen);
}

void formatHertz(float samples, float sampleRate, char* text, VstInt32 maxLen)
{
    formatFloat(samples == 0.0f ? 0.0f : sampleRate / samples, text, maxLen);
}

void formatMilliseconds(float samples, float sampleRate, char* text, VstInt32 maxLen)
{
    const double ms = static_cast<double>(samples) * 1000.0 / static_cast<double>(sampleRate);
    // Clamped so that the narrowing to float stays in range; anything this big reads "Huge!".
    formatFloat(static_cast<float>(std::clamp(ms, -1e9, 1e9)), text, maxLen);
}

} // namespace qev
