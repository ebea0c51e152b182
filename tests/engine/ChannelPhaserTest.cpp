#include "engine/ChannelPhaser.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qev
{
namespace
{

TEST(ChannelPhaser, FrequencyTableAt44100SpansHalfAHertzToTheHalfRate)
{
    ChannelPhaser channel(44100.0f);
    EXPECT_EQ(channel.frequencyTable[0], 1.0f / 44100.0f);
    EXPECT_NEAR(channel.frequencyTable[1024], 1.0f, 4e-7f);
    EXPECT_GT(channel.frequencyTable[2047], 1.0f);
    // LOFREQ 0 and HIFREQ 1 as sweep ends.
    channel.step(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(channel.lowFrequency, 1.0f / 44100.0f);
    EXPECT_EQ(channel.highFrequency, channel.frequencyTable[1024]);
}

TEST(ChannelPhaser, FrequencyTableIsExponential)
{
    ChannelPhaser channel(44100.0f);
    for (int i = 0; i < 2048; i += 97)
        EXPECT_NEAR(channel.frequencyTable[i] / std::pow(44100.0, i / 1024.0 - 1.0), 1.0, 1e-5)
            << i;
}

TEST(ChannelPhaser, SpreadTablesAt44100)
{
    ChannelPhaser channel(44100.0f);
    // The sweep stands at the LFO's first value, 0, so sweep 0.5: the frequency is the middle
    // of two equal ends.
    const float position = std::log(0.05f * 44100.0f) / std::log(44100.0f);
    channel.step(0.0f, position, position);
    EXPECT_NEAR(channel.frequency, 0.05f, 1e-5f);
    EXPECT_NEAR(channel.frequency2, 0.4245f, 5e-4f);
    EXPECT_EQ(channel.frequency3, 1.0f);
    EXPECT_NEAR(channel.spreadTable2[1024] / channel.spreadTable2[512], 2.0, 1e-4);
    EXPECT_NEAR(channel.spreadTable2[1000] / (1000.0 / 1024.0), std::pow(44100.0, 0.2), 1e-3);
    EXPECT_NEAR(channel.spreadTable3[100] / (100.0 / 1024.0), std::pow(44100.0, 0.4), 1e-2);
}

TEST(ChannelPhaser, EqualEndsHoldTheFrequencyWhateverTheLfo)
{
    ChannelPhaser channel(48000.0f);
    channel.step(5.0f, 0.4f, 0.4f);
    const float frequency = channel.frequency;
    for (int i = 0; i < 10000; ++i)
    {
        channel.step(5.0f, 0.4f, 0.4f);
        ASSERT_EQ(channel.frequency, frequency);
    }
}

TEST(ChannelPhaser, SweepEndsFollowTheKnobsFrameByFrame)
{
    // The ends are looked up again only when a knob moves; every frame has the ends of its own
    // knob positions, NaN (held to 0) included.
    ChannelPhaser channel(44100.0f);
    const float* table = channel.frequencyTable.get();
    const auto index = [](float position)
    { return std::isnan(position) ? 0.0f : position * 1024.0f; };
    const float ends[][2] = {{0.2f, 0.9f}, {0.2f, 0.9f}, {0.2f, 0.5f}, {0.7f, 0.5f},
                             {NAN, 0.5f},  {NAN, 0.5f},  {0.0f, NAN},  {1.0f, 0.1f}};
    for (const auto& end : ends)
    {
        channel.step(1.0f, end[0], end[1]);
        EXPECT_EQ(channel.lowFrequency, interpolate(table, index(end[0]))) << end[0];
        EXPECT_EQ(channel.highFrequency, interpolate(table, index(end[1]))) << end[1];
    }
}

TEST(ChannelPhaser, SwappedEndsReverseTheSweep)
{
    ChannelPhaser up(44100.0f), down(44100.0f);
    for (int i = 0; i < 3000; ++i)
    {
        up.step(3.0f, 0.2f, 0.8f);
        down.step(3.0f, 0.8f, 0.2f);
        // Mirror images: up runs A + (B - A) s, down runs B + (A - B) s.
        ASSERT_NEAR(up.frequency + down.frequency, up.lowFrequency + up.highFrequency, 1e-6f);
        ASSERT_EQ(down.lowFrequency, up.highFrequency);
    }
}

TEST(ChannelPhaser, RateLimitFollowsTheSweepTopAndItsBottomShare)
{
    ChannelPhaser channel(44100.0f);
    // A sweep to the half sample rate, its bottom share 1/44100: (0.03 + 0.6 / 44100) * 44100.
    EXPECT_NEAR(channel.maxLfoRate(0.0f, 1.0f), 1323.6f, 0.1f);
    // LOFREQ 0, HIFREQ 0.4: share 0.01389, top 0.001634, (0.03 + 0.6 share) top^0.8 cycles.
    const float low = channel.maxLfoRate(0.0f, 0.4f);
    EXPECT_NEAR(low, 44100.0 * (0.03 + 0.6 * 0.013885) * std::pow(0.0016343, 0.8), 0.05);
    EXPECT_EQ(channel.maxLfoRate(0.4f, 0.0f), low);  // either order
    EXPECT_GT(channel.maxLfoRate(0.05f, 0.4f), low); // narrower: faster
    EXPECT_LT(channel.maxLfoRate(0.0f, 0.35f), low); // lower: slower
    // "Wet Mid Freq", share 0.066: at the cap, 0.065 top^0.8 cycles; 22.2 Hz at 48 kHz.
    const float wetMid = channel.maxLfoRate(0.181447804f, 0.435380757f);
    EXPECT_NEAR(wetMid, 44100.0 * 0.065 * std::pow(0.0023870, 0.8), 0.05);
    EXPECT_EQ(channel.maxLfoRate(0.3f, 0.435380757f), wetMid);
    EXPECT_NEAR(ChannelPhaser(48000.0f).maxLfoRate(0.181447804f, 0.435380757f), 22.2f, 0.05f);
    for (float a : {-1.0f, 0.0f, 1.0f, 2.0f, NAN, INFINITY, -INFINITY})
        for (float b : {0.0f, 0.5f, 1.0f, NAN})
        {
            const float limit = channel.maxLfoRate(a, b);
            EXPECT_TRUE(limit > 0.0f && std::isfinite(limit)) << a << " " << b;
        }
}

TEST(ChannelPhaser, LookupsStayInsideTheTablesAtRatesTheEngineRefuses)
{
    // Below about 1250 Hz every frequency entry lies above 1 (at 100 Hz the lowest is 194), and
    // at 1e16 Hz and above the tables overflow; the positions are held inside all the same.
    for (float fs : {1.0f, 10.0f, 44.1f, 100.0f, 500.0f, 900.0f, 1e16f, 3e38f})
    {
        ChannelPhaser channel(fs);
        for (float position : {0.0f, 0.5f, 1.0f})
            for (int n = 0; n < 50; ++n)
            {
                channel.step(5.0f, position, 1.0f);
                // The stages' frequencies: within 0..1, whatever the sweep gives.
                for (float f : {channel.frequency2, channel.frequency3})
                    ASSERT_TRUE(f >= 0.0f && f <= 1.0f) << fs;
                ASSERT_FALSE(channel.maxLfoRate(position, 1.0f) < 0.0f) << fs;
            }
    }
}

TEST(ChannelPhaser, OutOfRangePositionsStayInsideTheTables)
{
    ChannelPhaser channel(96000.0f);
    for (float position : {-1.0f, -1e30f, 1.5f, 1e30f, INFINITY, -INFINITY, NAN})
    {
        channel.step(1.0f, position, position);
        EXPECT_GE(channel.frequency, channel.frequencyTable[0]);
        EXPECT_LE(channel.frequency, channel.frequencyTable[1024]);
    }
}

TEST(ChannelPhaser, TopFrequencyEntryAboveOneAtSomeRates)
{
    // The cosine lookup must cope with a frequency a rounding error above 1.0.
    for (float fs : {22050.0f, 96000.0f})
    {
        ChannelPhaser channel(fs);
        EXPECT_EQ(channel.frequencyTable[1024], 1.00000024f) << fs;
        channel.step(0.0f, 1.0f, 1.0f);
        EXPECT_EQ(channel.frequency, 1.00000024f) << fs;
    }
}

} // namespace
} // namespace qev
