#include "plugin/VstStrings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{

TEST(VstStrncpy, copiesAtMostMaxLenAndAlwaysTerminates)
{
    char dst[8];
    std::memset(dst, '#', sizeof dst);
    EXPECT_EQ(vst_strncpy(dst, "abcdef", 3), dst);
    EXPECT_STREQ(dst, "abc");
    EXPECT_EQ(dst[4], '#');

    std::memset(dst, '#', sizeof dst);
    vst_strncpy(dst, "ab", 5);
    EXPECT_STREQ(dst, "ab");
    EXPECT_EQ(dst[5], 0);
    EXPECT_EQ(dst[6], '#');

    vst_strncpy(dst, nullptr, 5);
    EXPECT_STREQ(dst, "");
    std::memset(dst, '#', sizeof dst);
    vst_strncpy(dst, "ab", -1);
    EXPECT_EQ(dst[0], '#');
    EXPECT_EQ(vst_strncpy(nullptr, "ab", 3), nullptr);
}

TEST(VstStrncat, neverGrowsPastMaxLen)
{
    char dst[8];
    std::memset(dst, '#', sizeof dst);
    std::strcpy(dst, "ab");
    EXPECT_EQ(vst_strncat(dst, "cdefgh", 4), dst);
    EXPECT_STREQ(dst, "abcd");
    EXPECT_EQ(dst[5], '#');

    std::strcpy(dst, "abcdef");
    vst_strncat(dst, "xyz", 3);
    EXPECT_STREQ(dst, "abc");

    std::strcpy(dst, "ab");
    vst_strncat(dst, "c", 6);
    EXPECT_STREQ(dst, "abc");
    EXPECT_EQ(dst[6], 0);
    vst_strncat(dst, nullptr, 6);
    EXPECT_STREQ(dst, "abc");
}

struct FloatRow
{
    float value;
    const char* text;
};

void PrintTo(const FloatRow& row, std::ostream* os)
{
    *os << row.value << " -> " << row.text;
}

class Float2String : public testing::TestWithParam<FloatRow>
{
};

TEST_P(Float2String, formatsWithinTheBudget)
{
    char text[32] = {};
    qev::formatFloat(GetParam().value, text, 31);
    EXPECT_STREQ(text, GetParam().text) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, Float2String,
    testing::Values(FloatRow{3.25f, "3.250000"}, FloatRow{-3.25f, "-3.25000"},
                    FloatRow{0.0f, "0.000000"}, FloatRow{0.5f, "0.500000"},
                    FloatRow{-0.5f, "-0.50000"}, FloatRow{100.25f, "100.2500"},
                    FloatRow{1234567.0f, "1234567."}, FloatRow{1e9f, "Huge!"},
                    FloatRow{100000000.0f, "Huge!"}, FloatRow{-1e7f, "Huge!"},
                    // Eight integer digits, or seven after a sign: every digit is kept.
                    FloatRow{12345678.0f, "12345678."}, FloatRow{16777215.0f, "16777215."},
                    FloatRow{-9999999.0f, "-9999999."}, FloatRow{-1234567.0f, "-1234567."},
                    FloatRow{std::numeric_limits<float>::infinity(), "Huge!"},
                    FloatRow{-std::numeric_limits<float>::infinity(), "Huge!"},
                    FloatRow{std::numeric_limits<float>::quiet_NaN(), "NaN"}));

struct IntRow
{
    VstInt32 value;
    const char* text;
};

void PrintTo(const IntRow& row, std::ostream* os)
{
    *os << row.value << " -> " << row.text;
}

class Int2String : public testing::TestWithParam<IntRow>
{
};

TEST_P(Int2String, formatsWholeNumbers)
{
    char text[32] = {};
    qev::formatInt(GetParam().value, text, 31);
    EXPECT_STREQ(text, GetParam().text) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, Int2String,
                         testing::Values(IntRow{-42, "-42"}, IntRow{100000000, "Huge!"},
                                         IntRow{0, "0"}, IntRow{7, "7"}, IntRow{1000, "1000"},
                                         IntRow{99999999, "99999999"},
                                         IntRow{-99999999, "-99999999"},
                                         IntRow{-100000000, "Huge!"}, IntRow{INT_MIN, "Huge!"},
                                         IntRow{INT_MAX, "Huge!"}));

TEST(Conversions, decibelsOfGainFactors)
{
    char text[32];
    for (float silent : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        qev::formatDecibels(silent, text, 31);
        EXPECT_STREQ(text, "-oo") << silent;
    }
    qev::formatDecibels(1.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");
    qev::formatDecibels(10.0f, text, 31);
    EXPECT_STREQ(text, "20.00000");
}

TEST(Conversions, hertzAndMillisecondsFollowTheSampleRate)
{
    char text[32];
    qev::formatHertz(0.0f, 44100.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");
    qev::formatHertz(441.0f, 44100.0f, text, 31);
    EXPECT_STREQ(text, "100.0000");
    qev::formatMilliseconds(441.0f, 44100.0f, text, 31);
    EXPECT_STREQ(text, "10.00000");
    qev::formatMilliseconds(96000.0f, 48000.0f, text, 31);
    EXPECT_STREQ(text, "2000.000");
    qev::formatMilliseconds(441.0f, 0.0f, text, 31);
    EXPECT_STREQ(text, "Huge!");
}

TEST(Conversions, maxLenBoundsTheText)
{
    char text[8];
    std::memset(text, '#', sizeof text);
    qev::formatFloat(3.25f, text, 4);
    EXPECT_STREQ(text, "3.25");
    EXPECT_EQ(text[5], '#');
    std::memset(text, '#', sizeof text);
    qev::formatInt(-123456, text, 3);
    EXPECT_STREQ(text, "-12");
    EXPECT_EQ(text[4], '#');
}

} // namespace
