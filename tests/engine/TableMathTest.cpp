#include "engine/TableMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qev
{
namespace
{

// Correct rounding checked against extended precision for every argument the engine's tables
// are built from, at the common sample rates.
float rounded(long double value)
{
    return static_cast<float>(value);
}

TEST(TableMath, TablesAreCorrectlyRoundedAtCommonRates)
{
    int mismatches = 0;
    for (float fs : {8000.0f, 11025.0f, 16000.0f, 22050.0f, 32000.0f, 44100.0f, 48000.0f, 88200.0f,
                     96000.0f, 176400.0f, 192000.0f, 352800.0f, 384000.0f})
    {
        const float a = (fs / 44100.0f) * (fs / 44100.0f) * fs;
        const float c = tablemath::log(a);
        mismatches += c != rounded(logl(a));
        const float logFs = tablemath::log(fs);
        mismatches += logFs != rounded(logl(fs));
        for (int i = 0; i < 2048; ++i)
        {
            const float position = static_cast<float>(i) / 1024.0f;
            mismatches += tablemath::exp(position * c) != rounded(expl(position * c));
            const float arg = position * fs + 1e-8f;
            mismatches += tablemath::log(arg) != rounded(logl(arg));
            const float t = tablemath::log(arg) / logFs;
            mismatches += tablemath::exp((t + 0.2f) * c) != rounded(expl((t + 0.2f) * c));
            mismatches += tablemath::exp((t + 0.4f) * c) != rounded(expl((t + 0.4f) * c));
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(TableMath, SineAndCosineTablesAreCorrectlyRounded)
{
    const float pi = 4.0f * tablemath::atan(1.0f);
    EXPECT_EQ(pi, 3.14159274f);
    for (int i = 0; i <= 256; ++i)
    {
        const float arg = 2.0f * pi * static_cast<float>(i) / 256.0f;
        EXPECT_EQ(tablemath::sin(arg), rounded(sinl(arg))) << i;
    }
    for (int i = 0; i <= 1024; ++i)
    {
        const float arg = static_cast<float>(i) * 3.14159274f / 1024.0f;
        EXPECT_EQ(tablemath::cos(arg), rounded(cosl(arg))) << i;
    }
}

} // namespace
} // namespace qev
